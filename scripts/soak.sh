#!/usr/bin/env bash
# Soak of a group of servers under faults: for each server count a fresh group (scripts/cluster.sh),
# clients through HAProxy while servers are killed and PostgreSQL restarted, then the database is
# checked against what the clients were told. Prints one table row per server count; exits 1 when
# a save, import or release was lost or applied twice, 77 when HAProxy cannot be installed.
#
#   scripts/soak.sh [BUILD_DIR]
#
# SOAK_SERVERS (default "1 2 3"), SOAK_CLIENTS (8), SOAK_SECONDS (35), SOAK_FAULT_EVERY (4; 0 for a
# quiet run, which also gives CPU per call), SOAK_GIVE_UP (20 s a call is sent again).
#
# SOAK_DATABASE=replicated: the group on a replicated database (cluster.sh start-replicated) and, instead
# of the server faults, the primary's PostgreSQL killed or switched over every SOAK_DATABASE_FAULTS
# seconds (default 20-30); SOAK_LAG holds the WAL sender that many seconds before each kill (with
# MED_REPLICATION=async, the audit's own check).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build/default}
[[ $build == /* ]] || build=$root/$build
program=$build/bin/soak_cluster
[[ -x $program ]] || { echo "soak: no $program: build the soak_cluster target" >&2; exit 2; }

export MED_BINARY_DIR=$build
export MED_CLUSTER_HOME
MED_CLUSTER_HOME=$(mktemp -d /tmp/med-soak-XXXXXX)
cluster=$root/scripts/cluster.sh
trap '"$cluster" stop >/dev/null 2>&1 || true; rm -rf "$MED_CLUSTER_HOME"' EXIT

failed=0
header=1
for n in ${SOAK_SERVERS:-1 2 3}; do
  rc=0
  if [[ ${SOAK_DATABASE:-} == replicated ]]; then
    "$cluster" start-replicated "$n" >/dev/null || rc=$?
    faults=(--database-faults "${SOAK_DATABASE_FAULTS:-20-30}" --lag "${SOAK_LAG:-0}")
  else
    "$cluster" start "$n" >/dev/null || rc=$?
    faults=(--fault-every "${SOAK_FAULT_EVERY:-4}")
  fi
  [[ $rc == 77 ]] && exit 77
  [[ $rc == 0 ]] || { echo "soak: the group of $n did not start" >&2; exit 2; }
  rc=0
  env ${header:+SOAK_HEADER=1} "$program" --cluster "$cluster" --servers "$n" \
    --clients "${SOAK_CLIENTS:-8}" --seconds "${SOAK_SECONDS:-35}" \
    "${faults[@]}" --give-up "${SOAK_GIVE_UP:-20}" || rc=$?
  header=
  "$cluster" stop >/dev/null
  mkdir -p "$MED_CLUSTER_HOME"
  ((rc == 0)) || failed=1
done
exit "$failed"
