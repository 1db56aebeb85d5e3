#!/usr/bin/env bash
# Runs every benchmark executable in the build's bin folder; each prints its own ratios.
set -euo pipefail
build=${1:-build/default}
shopt -s nullglob
for b in "$build"/bin/bench_*; do
  echo "== $(basename "$b")"
  "$b"
done
# The group of servers under faults, when its program is built (exit 77: no HAProxy here).
if [[ -x $build/bin/soak_cluster ]]; then echo "== soak"; "$(dirname "$0")/soak.sh" "$build" || [[ $? == 77 ]]; fi
# The same on the replicated database, its primary killed or switched over every 20-30 s for 5 minutes.
if [[ -x $build/bin/soak_cluster ]]; then
  echo "== soak with database faults"
  SOAK_DATABASE=replicated SOAK_SERVERS=2 SOAK_SECONDS=300 "$(dirname "$0")/soak.sh" "$build" || [[ $? == 77 ]]
fi
