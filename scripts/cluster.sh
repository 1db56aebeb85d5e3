#!/usr/bin/env bash
# A group of application servers on loopback: one PostgreSQL, N med_appservers on it and HAProxy in
# front, balancing on /health/ready. Every process started is recorded in the state folder and stopped
# by its id, never by name.
#
#   scripts/cluster.sh start N    # prints the address to call
#   scripts/cluster.sh status     # each process, and whether it answers
#   scripts/cluster.sh stop
#   scripts/cluster.sh restart-server K   # server K again on its port (after a kill, say)
#   scripts/cluster.sh restart-postgres   # PostgreSQL again on its port, data kept
#   scripts/cluster.sh session            # signs the group's client account in; prints the session
#
# The group's callers sign in as the account "carga" (administrador), made with the server's own
# `user add` before the servers start; its random password is kept in the state folder, readable by
# its owner only.
#
# On a replicated database instead of one PostgreSQL: etcd, two Patroni nodes (a primary and a
# synchronous standby), HAProxy's TCP frontend to whichever node is primary, and the servers on it.
#   scripts/cluster.sh start-replicated N   # prints the address to call
#   scripts/cluster.sh kill-primary [LAG]   # SIGKILL to the primary's PostgreSQL (LAG s after its WAL
#                                           # sender was stopped); prints its node
#   scripts/cluster.sh switchover           # Patroni hands the primary to the standby
#   scripts/cluster.sh wait-primary         # until a primary takes writes through the frontend
#   scripts/cluster.sh wait-standby         # until the primary has a synchronous standby again
#   (status and stop as above)
#
# MED_CLUSTER_HOME: state folder (default /tmp/med00418-cluster). MED_BINARY_DIR: the build folder
# holding bin/med_appserver (default build/default). MED_PG_BIN: PostgreSQL's programs.
# MED_REPLICATION=async: the standby asynchronous (the audit's own check). Exit 77: HAProxy (or, for
# start-replicated, Patroni or etcd) is missing and cannot be installed.
set -euo pipefail

home=${MED_CLUSTER_HOME:-/tmp/med00418-cluster}
root=$(cd "$(dirname "$0")/.." && pwd)
bin=${MED_BINARY_DIR:-$root/build/default}/bin
pgbin=${MED_PG_BIN:-/usr/lib/postgresql/15/bin}
database=med00418
# Each server's cap, and the connections HAProxy keeps open to it at most: a few per worker thread keep
# the workers busy, and a health check then waits behind a few calls, never behind a whole burst. The
# rest of the cap is room for the checks and for connections made to a server directly.
server_connections=256
server_maxconn=32

die() { echo "cluster: $*" >&2; exit 1; }

# As the postgres user when we are root: PostgreSQL refuses to run as root.
as_postgres() {
  if [[ $(id -u) == 0 ]]; then runuser -u postgres -- "$@"; else "$@"; fi
}

port_taken() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

free_port() {
  local port
  for _ in $(seq 200); do
    # Below the kernel's range for outgoing ports (32768 up): a port found free there can be taken by a
    # connection before the server binds it.
    port=$((20000 + RANDOM % 12000))
    port_taken "$port" || { echo "$port"; return; }
  done
  die "no free port found"
}

# Whether pid $1 is alive and still runs the program named $2 (a recycled id is left alone).
alive() {
  [[ -n $1 && -r /proc/$1/cmdline ]] && tr '\0' ' ' <"/proc/$1/cmdline" | grep -q -- "$2"
}

# SIGTERM (or $3), then SIGKILL after ten seconds.
stop_pid() {
  local pid=$1 name=$2 signal=${3:-TERM}
  alive "$pid" "$name" || return 0
  kill "-$signal" "$pid" 2>/dev/null || true
  for _ in $(seq 100); do
    alive "$pid" "$name" || return 0
    sleep 0.1
  done
  kill -KILL "$pid" 2>/dev/null || true
}

haproxy_binary() { command -v haproxy || { [[ -x /usr/sbin/haproxy ]] && echo /usr/sbin/haproxy; }; }

ensure_haproxy() {
  haproxy_binary >/dev/null && return
  bash "$(dirname "${BASH_SOURCE[0]}")/install-missing.sh" haproxy >&2 || true
  haproxy_binary >/dev/null || { echo "cluster: haproxy is not installed and cannot be installed" >&2; exit 77; }
}

start_postgres() {
  local pg=$home/pg port
  mkdir -p "$pg"
  [[ $(id -u) == 0 ]] && chown postgres: "$pg"
  as_postgres "$pgbin/initdb" -D "$pg/data" -U postgres -A trust -E UTF8 --locale=C --no-sync >"$home/initdb.log" 2>&1 ||
    die "initdb failed; see $home/initdb.log"
  port=$(free_port)
  as_postgres "$pgbin/pg_ctl" -D "$pg/data" -l "$pg/postgres.log" -w -t 60 \
    -o "-p $port -k $pg -c listen_addresses=127.0.0.1 -c max_connections=200" start >/dev/null ||
    die "PostgreSQL did not start; see $pg/postgres.log"
  head -1 "$pg/data/postmaster.pid" >"$home/postgres.pid"
  echo "$port" >"$home/postgres.port"
  "$pgbin/createdb" -h 127.0.0.1 -p "$port" -U postgres "$database"
}

server_database() { echo "postgresql://postgres@127.0.0.1:$(<"$home/postgres.port")/$database"; }

add_client_account() {
  (umask 077 && head -c 18 /dev/urandom | base64 | tr '+/' '-_' >"$home/carga.password")
  "$bin/med_appserver" user add carga --name "Carga do grupo" --role administrador \
    --database "$(server_database)" <"$home/carga.password" 2>>"$home/users.log" ||
    die "the client account could not be made; see $home/users.log"
}

# Login through HAProxy; prints the session every server of the group accepts.
session() {
  [[ -e $home/carga.password ]] || die "no group recorded in $home"
  local password answer
  password=$(<"$home/carga.password")
  answer=$(curl -sS -m 10 -H 'Content-Type: application/json' --data-binary @- \
    "http://127.0.0.1:$(<"$home/haproxy.port")/Med00418.rdmMediEfeti" <<JSON
{"jsonrpc":"2.0","id":1,"method":"Login","params":["carga","$password"]}
JSON
  ) || die "sign-in failed"
  [[ $answer =~ \"session\":\"([A-Za-z0-9_-]+)\" ]] || die "sign-in refused: $answer"
  echo "${BASH_REMATCH[1]}"
}

# All at once, as a group restarted together would: they share one empty database.
start_servers() {
  local n=$1 k
  for k in $(seq "$n"); do
    free_port >"$home/app$k.port"
    launch_server "$k"
  done
  for k in $(seq "$n"); do
    wait_ready "$k"
  done
}

# Server K on its recorded port; its log is appended to, so a restart keeps what the last one said.
launch_server() {
  local k=$1
  setsid "$bin/med_appserver" --listen "127.0.0.1:$(<"$home/app$k.port")" --seed-demo --workers 2 \
    --max-connections "$server_connections" --trusted-proxy 127.0.0.1 \
    --database "$(server_database)" \
    >/dev/null 2>>"$home/app$k.log" </dev/null &
  echo $! >"$home/app$k.pid"
}

wait_ready() {
  local k=$1
  for _ in $(seq 300); do
    ready "app$k" && return
    alive "$(<"$home/app$k.pid")" med_appserver || die "server $k did not start; see $home/app$k.log"
    sleep 0.1
  done
  die "server $k is not ready; see $home/app$k.log"
}

# The recorded process is stopped first if it still runs; the port stays, so HAProxy finds it again.
restart_server() {
  local k=$1
  [[ $k =~ ^[1-9][0-9]?$ && -e $home/app$k.port ]] || die "no server $k recorded in $home"
  stop_pid "$(<"$home/app$k.pid")" med_appserver
  launch_server "$k"
  wait_ready "$k"
}

# Fast shutdown then start on the same port and data; the servers open their connections again.
restart_postgres() {
  local pg=$home/pg port
  [[ -e $home/postgres.port ]] || die "no PostgreSQL recorded in $home"
  port=$(<"$home/postgres.port")
  stop_pid "$(<"$home/postgres.pid")" postgres INT
  as_postgres "$pgbin/pg_ctl" -D "$pg/data" -l "$pg/postgres.log" -w -t 60 \
    -o "-p $port -k $pg -c listen_addresses=127.0.0.1 -c max_connections=200" start >/dev/null ||
    die "PostgreSQL did not start again; see $pg/postgres.log"
  head -1 "$pg/data/postmaster.pid" >"$home/postgres.pid"
}

ready() { curl -fsS -m 2 "http://127.0.0.1:$(<"$home/$1.port")/health/ready" >/dev/null 2>&1; }

# A server that stops answering leaves the rotation after two failed checks 300 ms apart; a call that
# cannot connect is sent to another server. Each server is given at most `maxconn` connections, below
# its own --max-connections, and further calls wait in HAProxy's queue: a burst is queued, never
# refused by the servers, and the health checks always find room and an answer within their 2 s.
# packaging/haproxy.cfg.example is this configuration for an administrator's machines, over TLS on both
# sides; keep the two alike.
write_haproxy_config() {
  local n=$1 port=$2 k
  cat <<CFG
global
    maxconn 4096
    stats socket $home/haproxy.sock mode 600 level user
defaults
    mode http
    log stdout format raw local0
    option httplog
    option forwardfor
    timeout connect 1s
    timeout http-request 10s
    timeout queue 30s
    timeout check 2s
    timeout client 60s
    timeout server 60s
    retries 2
    option redispatch
frontend med
    bind 127.0.0.1:$port
    # Behind this proxy every client is on loopback to the servers: keep their metrics to the machine.
    http-request deny if { path_beg /metrics }
    default_backend servers
backend servers
    balance leastconn
    option httpchk GET /health/ready
    http-check expect status 200
    default-server inter 300ms fastinter 200ms downinter 500ms fall 2 rise 2 maxconn $server_maxconn
CFG
  for k in $(seq "$n"); do
    echo "    server app$k 127.0.0.1:$(<"$home/app$k.port") check"
  done
}

start_haproxy() {
  local n=$1 port
  port=$(free_port)
  write_haproxy_config "$n" "$port" >"$home/haproxy.cfg"
  "$(haproxy_binary)" -c -q -f "$home/haproxy.cfg" || die "HAProxy refused $home/haproxy.cfg"
  setsid "$(haproxy_binary)" -db -f "$home/haproxy.cfg" >"$home/haproxy.log" 2>&1 </dev/null &
  echo $! >"$home/haproxy.pid"
  echo "$port" >"$home/haproxy.port"
  for _ in $(seq 100); do
    ready haproxy && return
    sleep 0.1
  done
  die "HAProxy does not answer; see $home/haproxy.log"
}

start() {
  local n=${1:-2}
  [[ $n =~ ^[1-9][0-9]?$ ]] || die "N must be 1 to 99"
  [[ -x $bin/med_appserver ]] || die "no $bin/med_appserver: build it, or set MED_BINARY_DIR"
  [[ -e $home/postgres.pid ]] && die "a group is recorded in $home: stop it first"
  ensure_haproxy
  mkdir -p "$home"
  chmod 755 "$home" # the postgres user reaches its folder through it
  echo "$n" >"$home/servers"
  trap 'echo "cluster: start failed, stopping what started" >&2; stop' EXIT
  start_postgres
  add_client_account
  start_servers "$n"
  start_haproxy "$n"
  trap - EXIT
  echo "http://127.0.0.1:$(<"$home/haproxy.port")"
}

stop() {
  local f
  [[ -d $home ]] || return 0
  [[ -e $home/haproxy.pid ]] && stop_pid "$(<"$home/haproxy.pid")" haproxy
  for f in "$home"/app*.pid; do
    [[ -e $f ]] && stop_pid "$(<"$f")" med_appserver
  done
  # SIGINT: PostgreSQL's fast shutdown, ending sessions without waiting for clients.
  [[ -e $home/postgres.pid ]] && stop_pid "$(<"$home/postgres.pid")" postgres INT
  [[ -e $home/replicated ]] && stop_replicated
  # Only what start wrote: the folder may have been given by hand.
  rm -rf "$home/pg"
  rm -f "$home"/*.pid "$home"/*.port "$home"/*.log "$home/haproxy.cfg" "$home/haproxy.sock" "$home/servers" "$home/carga.password"
  rmdir "$home" 2>/dev/null || true
}

status_line() {
  local name=$1 program=$2 answers=$3 pid=""
  [[ -e $home/$name.pid ]] && pid=$(<"$home/$name.pid")
  if ! alive "$pid" "$program"; then
    printf '%-10s pid %-8s not running\n' "$name" "${pid:--}"
  elif $answers; then
    printf '%-10s pid %-8s port %-6s answers\n' "$name" "$pid" "$(<"$home/$name.port")"
  else
    printf '%-10s pid %-8s port %-6s not answering\n' "$name" "$pid" "$(<"$home/$name.port")"
  fi
}

status() {
  [[ -e $home/servers ]] || { echo "no group recorded in $home"; return 0; }
  local k
  [[ -e $home/replicated ]] && { status_replicated; return; }
  status_line postgres postgres "pg_isready -q -h 127.0.0.1 -p $(<"$home/postgres.port")"
  for k in $(seq "$(<"$home/servers")"); do
    status_line "app$k" med_appserver "ready app$k"
  done
  status_line haproxy haproxy "ready haproxy"
}

# shellcheck source=scripts/cluster-replicated.sh
source "$(dirname "${BASH_SOURCE[0]}")/cluster-replicated.sh"

case ${1:-} in
start) start "${2:-2}" ;;
start-replicated) start_replicated "${2:-2}" ;;
kill-primary) kill_primary "${2:-0}" ;;
switchover) switchover ;;
wait-primary) wait_primary 60 ;;
wait-standby) wait_standby 60 ;;
stop) stop ;;
status) status ;;
restart-server) restart_server "${2:-}" ;;
restart-postgres) restart_postgres ;;
session) session ;;
*)
  echo "usage: $0 start|start-replicated|stop|status [N] | restart-server K | restart-postgres |" \
    "kill-primary | switchover | wait-primary | wait-standby | session" >&2
  exit 2
  ;;
esac
