#!/usr/bin/env bash
# Profiles bench_netconnection's calling thread (the host's client and the blocking client, alternating)
# with perf: counters, the flat profile's top and the CPU per call of each side, split by function and by
# system call. usage: profile_host_call.sh BUILD_DIR OUTPUT_FILE
set -euo pipefail
build=${1:-build/default}
out=${2:-/dev/stdout}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bench=$build/bin/bench_netconnection
hz=5000
# The host's call log goes to stderr, as it does on a desktop; kept in a file here.
{
  echo "# $(date -u +%FT%TZ) $(uptime)"
  echo "# perf stat --no-inherit $bench (the calling thread only; the server is a child process)"
  perf stat --no-inherit -e task-clock,context-switches,page-faults "$bench" 2>"$work/stat.err" >"$work/stat.out"
  cat "$work/stat.out"
  grep -v '^med\.host\.call' "$work/stat.err" | sed '/^$/d'
  echo
  echo "# perf record --no-inherit -F $hz -e cpu-clock --call-graph dwarf (the figures above are slower under it)"
  perf record --no-inherit -F "$hz" -e cpu-clock --call-graph dwarf,16384 -o "$work/perf.data" "$bench" \
    >"$work/record.out" 2>"$work/record.err"
  cat "$work/record.out"
  echo
  echo "# perf report --stdio --no-children --sort dso,sym -g none: the top 40 by own samples"
  perf report -i "$work/perf.data" --stdio --no-children --sort dso,sym -g none 2>/dev/null |
    grep -v '^#' | sed '/^$/d' | awk 'NR <= 40'
  echo
  calls=$(sed -n 's/.* \([0-9]*\) rounds of \([0-9]*\) calls.*/\1 \2/p' "$work/record.out" | awk '{print $1 * $2}')
  echo "# perf script split between the two clients (bench/kit/perf_split.py)"
  perf script -i "$work/perf.data" -F ip,sym 2>/dev/null >"$work/script.txt"
  python3 "$here/perf_split.py" "$work/script.txt" "$hz" "$calls"
} >"$out"
