# Entry points for newcomers and CI. Everything else is plain CMake presets.
PRESET ?= default
# What scripts/deps.sh installs: run's packages only, unless a target below asks for more.
DEPS ?= run

.PHONY: deps build run test test-asan bench package fuzz format clean

deps:
	@bash scripts/deps.sh $(DEPS)

build: deps
	cmake --preset $(PRESET) >/dev/null
	cmake --build --preset $(PRESET)

# Only what opening the screen needs; `make test` builds the rest.
run: deps
	cmake --preset $(PRESET) >/dev/null
	cmake --build --preset $(PRESET) --target med_host med_appserver Pkg_med00418
	@bash scripts/run.sh build/$(PRESET)

# Target-specific, so the build this target depends on installs the tests' packages too.
test: DEPS = test
test: build
	ctest --preset $(PRESET)

test-asan:
	$(MAKE) test PRESET=asan

bench: DEPS = bench
bench: deps
	cmake --preset default >/dev/null
	cmake --build --preset default
	@bash scripts/bench.sh build/default

# Debian packages into build/package; installs the packaging tools it needs, never for `make run`.
package: deps
	@bash scripts/package.sh

# Each fuzz target runs FUZZ_SECONDS (default 60); clang and libFuzzer are installed for this target only.
FUZZ_SECONDS ?= 60
fuzz: deps
	@FUZZ_SECONDS=$(FUZZ_SECONDS) bash scripts/fuzz.sh

format:
	@git ls-files '*.h' '*.cpp' | xargs clang-format -i

clean:
	rm -rf build
