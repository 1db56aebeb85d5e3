#!/usr/bin/env bash
# Runs one benchmark program as the suite does (MED_BENCH_TINY=1 set by CTest): it fails when the
# program fails or prints nothing on stdout.
set -uo pipefail
out=$(mktemp)
trap 'rm -f "$out"' EXIT
"$@" >"$out"
status=$?
cat "$out"
if [[ $status -ne 0 ]]; then echo "run_tiny: $1 exited with $status" >&2; exit 1; fi
if [[ ! -s $out ]]; then echo "run_tiny: $1 printed nothing" >&2; exit 1; fi
