#!/usr/bin/env bash
# Profiles the application server where bench_appserver's one-core-each lines measure it: the server
# on core 0 serving 128 clients (MED_BENCH_CLIENTS) from a load generator on core 1. Records the server
# with `perf record -g` for PERF_SECONDS (5) once it has served for a few seconds, and writes the
# bench's line and the top of the profile (by symbol, then with callees) to OUT.
#
#   scripts/profile-one-core.sh OUT [BUILD_DIR]
#
# The database lives in TMPDIR: on a disk every save waits for its flush, on tmpfs (TMPDIR=/dev/shm)
# the profile shows the CPU alone.
set -euo pipefail
out=${1:?usage: profile-one-core.sh OUT [BUILD_DIR]}
build=${2:-build/default}
seconds=${PERF_SECONDS:-5}
data=$(mktemp)
bench_out=$(mktemp)
trap 'rm -f "$data" "$bench_out"' EXIT

MED_BENCH_ONE_CORE_ONLY=1 MED_BENCH_ROUNDS=1 MED_BENCH_SECONDS=$((seconds + 7)) \
  MED_BENCH_CLIENTS=${MED_BENCH_CLIENTS:-128} "$build/bin/bench_appserver" >"$bench_out" &
bench=$!
# The server under load is the one started on core 0 alone (the first one only seeds the database).
server=
for _ in $(seq 1 600); do
  sleep 0.1
  for pid in $(pgrep -P "$bench" med_appserver || true); do
    if grep -q '^Cpus_allowed_list:[[:space:]]*0$' "/proc/$pid/status" 2>/dev/null; then server=$pid; fi
  done
  [[ -n $server ]] && break
done
if [[ -z $server ]]; then
  echo "profile-one-core: no pinned server appeared" >&2
  kill "$bench"
  exit 1
fi
sleep 4
perf record -g -p "$server" -o "$data" -- sleep "$seconds" 2>/dev/null
wait "$bench"
{
  echo "# load $(cut -d' ' -f1-3 /proc/loadavg), database in ${TMPDIR:-/tmp}, $(date -u +%FT%TZ)"
  grep '^one-core-each' "$bench_out"
  echo "# by symbol (self)"
  perf report -i "$data" --no-children --sort dso,sym --percent-limit 0.5 --stdio -g none 2>/dev/null | grep -E '^ +[0-9]'
  echo "# with callees (children), above 3%"
  perf report -i "$data" --children --sort dso,sym --percent-limit 3 --stdio -g none 2>/dev/null | grep -E '^ +[0-9]'
} >"$out"
