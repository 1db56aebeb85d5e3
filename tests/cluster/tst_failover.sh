#!/usr/bin/env bash
# The group on a replicated database: one server and two clients through HAProxy while the primary's
# PostgreSQL is killed with SIGKILL once; Patroni promotes the synchronous standby, the server finds it
# through the TCP frontend, and nothing acknowledged is missing or applied twice. Then stop leaves no
# process running and no port listening. Exit 77 (skipped) only when HAProxy, Patroni or etcd cannot
# be installed.
set -euo pipefail

script=${MED_SOURCE_DIR:?}/scripts/cluster.sh
# shellcheck source=tests/cluster/ProcessesGone.sh
source "$(dirname "$0")/ProcessesGone.sh"
program=${MED_BINARY_DIR:?}/bin/soak_cluster
export MED_CLUSTER_HOME
MED_CLUSTER_HOME=$(mktemp -d /tmp/med-failover-test-XXXXXX)
trap '"$script" stop >/dev/null 2>&1 || true; rm -rf "$MED_CLUSTER_HOME"' EXIT

fail() { echo "FAIL: $*" >&2; "$script" status >&2 || true; exit 1; }

rc=0
"$script" start-replicated 1 >/dev/null || rc=$?
[[ $rc == 77 ]] && exit 77
[[ $rc == 0 ]] || fail "the group did not start (exit $rc)"
grep -q '^primary: pg1$' <<<"$("$script" status)" || fail "status does not show pg1 as primary"

home=$MED_CLUSTER_HOME
pids=$(cat "$home"/*.pid "$home"/replicated/*.pid)
ports=$(cat "$home"/*.port "$home"/replicated/*.port "$home"/replicated/*.api)

# One kill, 15 s in (the next would come after the run); the audit reads the new primary.
SOAK_HEADER=1 "$program" --cluster "$script" --servers 1 --clients 2 --seconds 22 \
  --database-faults 15-15 --give-up 20 || fail "the audit found a save lost, doubled or phantom"
grep -q '^primary: pg2$' <<<"$("$script" status)" || fail "status does not show pg2 primary after the kill"
pids+=" $(head -1 -q "$home"/replicated/pg*/data/postmaster.pid)"

"$script" stop
# shellcheck disable=SC2086
expect_processes_gone $pids
for port in $ports; do
  ! (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null || fail "port $port is still listening after stop"
done
echo "PASS"
