#!/usr/bin/env bash
# Runs every benchmark executable in the build's bin folder; each prints its own ratios.
set -euo pipefail
build=${1:-build/default}
shopt -s nullglob
for b in "$build"/bin/bench_*; do
  echo "== $(basename "$b")"
  "$b"
done
