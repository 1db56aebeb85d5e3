#!/usr/bin/env bash
# Builds and runs the application server's load benchmark: the screen's call mix at 1, 8 and 128
# clients (MED_BENCH_CLIENTS), on SQLite and PostgreSQL, with the server's call lines appended to a
# file and with logging at warning level (their ratio is printed last), against the same SQL run
# directly and through SQLite's C API alone; then, on SQLite, the server pinned to core 0 and the load to
# core 1 against the direct floor on core 0 alone, one `one-core-each clients=N ...` line per clients
# count (MED_BENCH_ONE_CORE_ONLY=1 runs only these). MED_BENCH_SECONDS sets each run's length,
# MED_BENCH_ROUNDS how many runs of each are made (the best counts), MED_BENCH_WORKERS the server's
# worker threads, and MED_BENCH_BACKENDS=sqlite leaves PostgreSQL out.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
cmake --build "$build" --target bench_appserver med_appserver
"$build/bin/bench_appserver"
