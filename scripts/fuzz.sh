#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer (preset `fuzz`, only what they need) and runs each
# for FUZZ_SECONDS (default 60), starting from its seed corpus in tests/fuzz/corpus. New inputs go to
# build/fuzz/corpus, findings to build/fuzz/findings; any finding fails the run. The seed corpora are
# replayed by CTest in every normal build, so add a finding there once it is mended.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-60}

# clang and its libFuzzer runtime, for this target only.
bash scripts/install-missing.sh clang libclang-rt-dev

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8
failed=()
for seeds in tests/fuzz/corpus/*/; do
  name=$(basename "$seeds")
  work=build/fuzz/corpus/$name findings=build/fuzz/findings/$name
  mkdir -p "$work" "$findings"
  echo "== fuzz_$name for ${seconds}s"
  if ! build/fuzz/bin/fuzz_"$name" "$work" "$seeds" -max_total_time="$seconds" -print_final_stats=1 \
      -max_len=65536 -timeout=10 -rss_limit_mb=2048 -artifact_prefix="$findings/" \
      >"build/fuzz/$name.log" 2>&1; then
    failed+=("$name")
    tail -n 40 "build/fuzz/$name.log"
  fi
  # The last status line: executions, coverage (cov: edges, ft: features), corpus size.
  grep -E '^#[0-9]+' "build/fuzz/$name.log" | tail -n 1 || true
  grep -E 'stat::number_of_executed_units|stat::peak_rss_mb' "build/fuzz/$name.log" || true
done
if [[ ${#failed[@]} -gt 0 ]]; then
  echo "Fuzzing found faults in: ${failed[*]} (inputs in build/fuzz/findings)" >&2
  exit 1
fi
