#!/usr/bin/env bash
# Short soak: a group of two, four clients for 15 s through HAProxy, one server killed with SIGKILL
# and PostgreSQL restarted once; nothing acknowledged may be missing, nothing applied twice.
# Exit 77 (skipped) only when HAProxy cannot be installed.
set -euo pipefail
export SOAK_SERVERS=2 SOAK_CLIENTS=4 SOAK_SECONDS=15 SOAK_FAULT_EVERY=5 SOAK_GIVE_UP=10
exec "${MED_SOURCE_DIR:?}/scripts/soak.sh" "${MED_BINARY_DIR:?}"
