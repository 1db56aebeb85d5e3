#!/bin/sh
# Source this before using an embedded Firebird database (isql-fb, or the host with
# BancoLocal/Driver=QIBASE): the engine then keeps its lock files in a folder of ours
# instead of the system-wide one. Only one process may have a given database file open.
#
#   . scripts/firebird-env.sh
#   isql-fb -q -i create.sql        # CREATE DATABASE '/path/local.fdb' USER 'SYSDBA' ...
FIREBIRD_LOCK="${FIREBIRD_LOCK:-${XDG_RUNTIME_DIR:-/tmp}/med-firebird-$(id -u)}"
FIREBIRD_TMP="${FIREBIRD_TMP:-$FIREBIRD_LOCK}"
mkdir -p "$FIREBIRD_LOCK" && chmod 700 "$FIREBIRD_LOCK"
export FIREBIRD_LOCK FIREBIRD_TMP
