#!/usr/bin/env bash
# Opens the screen on the embedded default: an application server on a SQLite file with demo data
# (or the one already serving on the port), and the host on a local SQLite database.
set -euo pipefail
build=${1:-build/default}
bin=$(cd "$build/bin" && pwd)
home=${MED_HOME:-${XDG_DATA_HOME:-$HOME/.local/share}/med00418}
port=${MED_PORT:-8418}
mkdir -p "$home"

if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} && -z ${QT_QPA_PLATFORM:-} ]]; then
  echo "No display: run 'make run' from a desktop session (or under xvfb-run)." >&2
  exit 1
fi

serving() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

server_pid=""
if serving "$port"; then
  echo "Using the application server already listening on 127.0.0.1:$port."
else
  log="$home/appserver.log"
  "$bin/med_appserver" --listen "127.0.0.1:$port" --database "$home/server.db" --seed-demo \
    >"$home/appserver.port" 2>"$log" &
  server_pid=$!
  trap 'kill "$server_pid" 2>/dev/null || true; wait "$server_pid" 2>/dev/null || true' EXIT
  for _ in $(seq 100); do
    [[ -s $home/appserver.port ]] && break
    kill -0 "$server_pid" 2>/dev/null || { echo "The application server did not start; see $log." >&2; exit 1; }
    sleep 0.1
  done
  echo "Application server on 127.0.0.1:$port (pid $server_pid, log $log)."
fi

settings="$home/med00418.ini"
cat >"$settings" <<INI
[Servidor]
WebURL=127.0.0.1
WebPort=$port

[BancoLocal]
Driver=QSQLITE
Database=$home/local.db
INI

echo "Sign in as digitador, password demo-digitador (README: the demo accounts)."
MED_SETTINGS="$settings" "$bin/med_host" --login digitador --open Pkg_med00418
