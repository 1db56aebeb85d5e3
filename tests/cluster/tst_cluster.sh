#!/usr/bin/env bash
# A group of two servers behind HAProxy keeps answering when one is killed -9, and stopping the group
# leaves no process behind; the HAProxy example shipped says what the group's configuration says. Exit 77 (skipped) only when HAProxy cannot be installed.
set -euo pipefail

script=${MED_SOURCE_DIR:?}/scripts/cluster.sh
# shellcheck source=tests/cluster/ProcessesGone.sh
source "$(dirname "$0")/ProcessesGone.sh"
export MED_CLUSTER_HOME
MED_CLUSTER_HOME=$(mktemp -d /tmp/med-cluster-test-XXXXXX)
trap '"$script" stop >/dev/null 2>&1 || true; rm -rf "$MED_CLUSTER_HOME"' EXIT

fail() { echo "FAIL: $*" >&2; "$script" status >&2 || true; exit 1; }

rc=0
url=$("$script" start 2) || rc=$?
[[ $rc == 77 ]] && exit 77
[[ $rc == 0 ]] || fail "the group did not start (exit $rc)"

# One sign-in; its session is taken by whichever server HAProxy picks.
session=$("$script" session) || fail "the group's account could not sign in"

call() {
  local answer
  answer=$(curl -sS -m 5 -H 'Content-Type: application/json' -H "Authorization: Bearer $session" \
    -d '{"jsonrpc":"2.0","id":1,"method":"GetPrxRelApurFat","params":["0001"]}' \
    "$url/Med00418.rdmMediEfeti" 2>/dev/null) || return 1
  [[ $answer == *'"result"'* ]]
}

# The shipped example is the group's configuration with an installation's addresses.
directives() {
  sed -e 's/#.*//' -e 's/[[:space:]]\+/ /g' -e 's/^ //' -e 's/ $//' "$1" |
    grep -vE '^(server|bind|stats socket|log)( |$)' | grep -v '^$'
}
diff <(directives "$MED_CLUSTER_HOME/haproxy.cfg") <(directives "$MED_SOURCE_DIR/packaging/haproxy.cfg.example") >&2 ||
  fail "packaging/haproxy.cfg.example differs from what scripts/cluster.sh writes"

# Calls spread over both servers before the fault.
for _ in $(seq 10); do call || fail "a call through HAProxy failed before any fault"; done

pids=$(cat "$MED_CLUSTER_HOME"/*.pid)
kill -KILL "$(<"$MED_CLUSTER_HOME/app1.pid")"

# Calls succeed again within a few seconds: ten in a row, before the deadline.
deadline=$((SECONDS + 5))
streak=0
while ((streak < 10)); do
  ((SECONDS < deadline)) || fail "calls through HAProxy did not recover within 5 s of the kill"
  if call; then streak=$((streak + 1)); else streak=0; fi
done
status=$("$script" status)
grep -q '^app1 .*not running' <<<"$status" || fail "status does not show the killed server"
grep -q '^app2 .*answers' <<<"$status" || fail "status does not show the living server answering"

"$script" stop
# shellcheck disable=SC2086
expect_processes_gone $pids
[[ ! -e $MED_CLUSTER_HOME/haproxy.pid ]] || fail "stop left its records"
echo "PASS"
