# shellcheck shell=bash disable=SC2154  # home, bin, pgbin and database are cluster.sh's
# Sourced by cluster.sh: the group on a replicated database. etcd holds Patroni's state; two Patroni
# nodes run PostgreSQL 15, one primary and one synchronous standby; a second HAProxy forwards TCP to
# whichever node Patroni's REST API calls primary (GET /primary answers 200 there only), so the servers
# keep one address. Everything lives under $home/replicated and is stopped by its recorded id.

patroni_nodes=2

ensure_replication_tools() {
  local missing=()
  command -v patroni >/dev/null || missing+=(patroni python3-etcd)
  command -v etcd >/dev/null || missing+=(etcd-server)
  ((${#missing[@]} == 0)) && return
  bash "$(dirname "${BASH_SOURCE[0]}")/install-missing.sh" "${missing[@]}" >&2 || true
  if ! command -v patroni >/dev/null || ! command -v etcd >/dev/null; then
    echo "cluster: Patroni or etcd is not installed and cannot be installed" >&2
    exit 77
  fi
}

# Long-running programs as the postgres user, exec'd in place so the recorded id is the program's own.
exec_as_postgres() {
  if [[ $(id -u) == 0 ]]; then
    exec setpriv --reuid postgres --regid postgres --init-groups -- "$@"
  else
    exec "$@"
  fi
}

start_etcd() {
  local r=$home/replicated client peer
  client=$(free_port)
  peer=$(free_port)
  echo "$client" >"$r/etcd.port"
  setsid etcd --name etcd1 --data-dir "$r/etcd" \
    --listen-client-urls "http://127.0.0.1:$client" --advertise-client-urls "http://127.0.0.1:$client" \
    --listen-peer-urls "http://127.0.0.1:$peer" --initial-advertise-peer-urls "http://127.0.0.1:$peer" \
    --initial-cluster "etcd1=http://127.0.0.1:$peer" --listen-metrics-urls "" \
    >"$r/etcd.log" 2>&1 </dev/null &
  echo $! >"$r/etcd.pid"
  for _ in $(seq 300); do
    curl -fsS -m 1 "http://127.0.0.1:$client/health" >/dev/null 2>&1 && return
    alive "$(<"$r/etcd.pid")" etcd || die "etcd did not start; see $r/etcd.log"
    sleep 0.1
  done
  die "etcd does not answer; see $r/etcd.log"
}

# Patroni's configuration for node K; the same settings as packaging/patroni/patroni.yml, on loopback.
write_patroni_config() {
  local k=$1 r=$home/replicated sync=true
  [[ ${MED_REPLICATION:-sync} == async ]] && sync=false
  cat <<CFG
scope: med00418
name: pg$k
log:
  level: INFO
restapi:
  listen: 127.0.0.1:$(<"$r/pg$k.api")
  connect_address: 127.0.0.1:$(<"$r/pg$k.api")
etcd3:
  hosts: 127.0.0.1:$(<"$r/etcd.port")
bootstrap:
  dcs:
    ttl: 10
    loop_wait: 1
    retry_timeout: 4
    maximum_lag_on_failover: 1048576
    primary_start_timeout: 0
    synchronous_mode: $sync
    postgresql:
      use_pg_rewind: true
      parameters:
        max_connections: 200
        wal_log_hints: "on"
  initdb:
    - encoding: UTF8
    - locale: C
    - auth: trust
postgresql:
  listen: 127.0.0.1:$(<"$r/pg$k.port")
  connect_address: 127.0.0.1:$(<"$r/pg$k.port")
  data_dir: $r/pg$k/data
  bin_dir: $pgbin
  pgpass: $r/pg$k/pgpass
  authentication:
    superuser:
      username: postgres
    replication:
      username: postgres
    rewind:
      username: postgres
  parameters:
    unix_socket_directories: $r/pg$k
  pg_hba:
    - local all all trust
    - host all all 127.0.0.1/32 trust
    - host replication all 127.0.0.1/32 trust
CFG
}

start_patroni() {
  local k=$1 r=$home/replicated
  mkdir -p "$r/pg$k"
  free_port >"$r/pg$k.port"
  free_port >"$r/pg$k.api"
  write_patroni_config "$k" >"$r/pg$k.yml"
  [[ $(id -u) == 0 ]] && chown postgres: "$r/pg$k" "$r/pg$k.yml"
  (exec_as_postgres patroni "$r/pg$k.yml") >>"$r/pg$k.log" 2>&1 </dev/null &
  echo $! >"$r/pg$k.pid"
}

# The node whose REST API says it is primary, or nothing.
primary_node() {
  local r=$home/replicated k
  for k in $(seq "$patroni_nodes"); do
    [[ -e $r/pg$k.api ]] || continue
    curl -fsS -m 1 "http://127.0.0.1:$(<"$r/pg$k.api")/primary" >/dev/null 2>&1 && { echo "$k"; return; }
  done
}

# Until a write commits through the frontend: a primary elected, HAProxy sending to it.
wait_primary() {
  local seconds=$1
  for _ in $(seq $((seconds * 10))); do
    [[ $(psql -qtAX -h 127.0.0.1 -p "$(<"$home/postgres.port")" -U postgres -d postgres \
      -c "SELECT NOT pg_is_in_recovery()" 2>/dev/null) == t ]] && return
    sleep 0.1
  done
  die "no primary took writes within $seconds s; see $home/replicated/pg*.log"
}

# Until the primary has a synchronous standby streaming, and Patroni knows it (GET /sync answers 200 on
# it; a switchover is refused before); with MED_REPLICATION=async, any streaming replica (GET /replica).
wait_standby() {
  local seconds=$1 want=sync check=sync k s
  [[ ${MED_REPLICATION:-sync} == async ]] && { want=async; check=replica; }
  for _ in $(seq $((seconds * 10))); do
    k=$(primary_node)
    if [[ -n $k && $(psql -qtAX -h 127.0.0.1 -p "$(<"$home/replicated/pg$k.port")" -U postgres -d postgres \
      -c "SELECT count(*) FROM pg_stat_replication WHERE state = 'streaming' AND sync_state = '$want'" \
      2>/dev/null) == 1 ]]; then
      for s in $(seq "$patroni_nodes"); do
        [[ $s != "$k" ]] && curl -fsS -m 1 "http://127.0.0.1:$(<"$home/replicated/pg$s.api")/$check" \
          >/dev/null 2>&1 && return
      done
    fi
    sleep 0.1
  done
  die "no $want standby streaming within $seconds s; see $home/replicated/pg*.log"
}

write_pgproxy_config() {
  local port=$1 r=$home/replicated k
  cat <<CFG
global
    maxconn 1024
defaults
    mode tcp
    retries 2
    timeout connect 1s
    timeout client 30m
    timeout server 30m
    timeout check 1s
listen primary
    bind 127.0.0.1:$port
    # Patroni's REST API answers 200 on the primary only; sessions to a node that stops being primary
    # are cut, so the servers open new ones on the next.
    option httpchk GET /primary
    http-check expect status 200
    default-server inter 500ms fastinter 250ms downinter 500ms fall 2 rise 1 on-marked-down shutdown-sessions
CFG
  for k in $(seq "$patroni_nodes"); do
    echo "    server pg$k 127.0.0.1:$(<"$r/pg$k.port") check port $(<"$r/pg$k.api")"
  done
}

# The servers' database address: this frontend's port stands where a single PostgreSQL's would.
start_pgproxy() {
  local r=$home/replicated port
  port=$(free_port)
  write_pgproxy_config "$port" >"$r/pgproxy.cfg"
  "$(haproxy_binary)" -c -q -f "$r/pgproxy.cfg" || die "HAProxy refused $r/pgproxy.cfg"
  setsid "$(haproxy_binary)" -db -f "$r/pgproxy.cfg" >"$r/pgproxy.log" 2>&1 </dev/null &
  echo $! >"$r/pgproxy.pid"
  echo "$port" >"$home/postgres.port"
}

start_replicated() {
  local n=${1:-2} k
  [[ $n =~ ^[1-9][0-9]?$ ]] || die "N must be 1 to 99"
  [[ -x $bin/med_appserver ]] || die "no $bin/med_appserver: build it, or set MED_BINARY_DIR"
  [[ -e $home/servers ]] && die "a group is recorded in $home: stop it first"
  ensure_haproxy
  ensure_replication_tools
  mkdir -p "$home/replicated"
  chmod 755 "$home" "$home/replicated"
  echo "$n" >"$home/servers"
  trap 'echo "cluster: start failed, stopping what started" >&2; stop' EXIT
  start_etcd
  start_patroni 1
  for _ in $(seq 600); do
    [[ $(primary_node) == 1 ]] && break
    alive "$(<"$home/replicated/pg1.pid")" patroni || die "Patroni did not start; see $home/replicated/pg1.log"
    sleep 0.1
  done
  [[ $(primary_node) == 1 ]] || die "node 1 did not become primary; see $home/replicated/pg1.log"
  for k in $(seq 2 "$patroni_nodes"); do start_patroni "$k"; done
  start_pgproxy
  wait_primary 60
  wait_standby 120
  psql -qX -h 127.0.0.1 -p "$(<"$home/postgres.port")" -U postgres -d postgres -c "CREATE DATABASE $database" >/dev/null
  add_client_account
  start_servers "$n"
  start_haproxy "$n"
  trap - EXIT
  echo "http://127.0.0.1:$(<"$home/haproxy.port")"
}

# SIGKILL to the primary's postmaster, by the id in its postmaster.pid; Patroni then fails over
# (primary_start_timeout 0) to the standby. With LAG seconds, the primary's WAL sender is stopped
# (SIGSTOP) that long before and killed with it, as when the standby falls behind and the machine
# dies: what was committed meanwhile never left the primary.
kill_primary() {
  local lag=${1:-0} k pid sender=""
  [[ $lag =~ ^[0-9]+(\.[0-9]+)?$ ]] || die "LAG must be seconds"
  k=$(primary_node)
  [[ -n $k ]] || die "no primary to kill"
  pid=$(head -1 "$home/replicated/pg$k/data/postmaster.pid")
  alive "$pid" postgres || die "the primary's PostgreSQL (pid $pid) is not running"
  if [[ $lag != 0 ]]; then
    sender=$(psql -qtAX -h 127.0.0.1 -p "$(<"$home/replicated/pg$k.port")" -U postgres -d postgres \
      -c "SELECT pid FROM pg_stat_replication" 2>/dev/null || true)
    [[ $sender =~ ^[0-9]+$ ]] || die "no WAL sender on the primary"
    kill -STOP "$sender"
    sleep "$lag"
  fi
  kill -KILL "$pid"
  [[ -n $sender ]] && kill -KILL "$sender"
  echo "pg$k"
}

switchover() {
  local k
  k=$(primary_node)
  [[ -n $k ]] || die "no primary to switch over from"
  curl -fsS -m 30 -X POST -d "{\"leader\":\"pg$k\"}" \
    "http://127.0.0.1:$(<"$home/replicated/pg$k.api")/switchover" >/dev/null ||
    die "Patroni refused the switchover from pg$k"
  echo "pg$k"
}

# Servers and the application HAProxy are stopped by stop() before this.
stop_replicated() {
  local r=$home/replicated k pid
  [[ -e $r/pgproxy.pid ]] && stop_pid "$(<"$r/pgproxy.pid")" haproxy
  # Patroni stops its PostgreSQL on SIGTERM; a postmaster left by a killed Patroni goes by its own id.
  for k in $(seq "$patroni_nodes"); do
    [[ -e $r/pg$k.pid ]] && stop_pid "$(<"$r/pg$k.pid")" patroni
    if [[ -e $r/pg$k/data/postmaster.pid ]]; then
      pid=$(head -1 "$r/pg$k/data/postmaster.pid")
      stop_pid "$pid" postgres INT
    fi
  done
  [[ -e $r/etcd.pid ]] && stop_pid "$(<"$r/etcd.pid")" etcd
  rm -rf "$r"
}

role_of() {
  curl -fsS -m 1 "http://127.0.0.1:$(<"$home/replicated/pg$1.api")/patroni" 2>/dev/null |
    python3 -c 'import json,sys; print(json.load(sys.stdin).get("role", "?"))' 2>/dev/null || echo "?"
}

status_replicated() {
  local r=$home/replicated k pid role primary
  primary=$(primary_node)
  if [[ -n $primary ]]; then echo "primary: pg$primary"; else echo "primary: none"; fi
  printf '%-10s pid %-8s port %-6s\n' etcd "$(<"$r/etcd.pid")" "$(<"$r/etcd.port")"
  for k in $(seq "$patroni_nodes"); do
    pid=$(<"$r/pg$k.pid")
    if alive "$pid" patroni; then
      role=$(role_of "$k")
      printf '%-10s pid %-8s port %-6s %s\n' "pg$k" "$pid" "$(<"$r/pg$k.port")" "$role"
    else
      printf '%-10s pid %-8s not running\n' "pg$k" "$pid"
    fi
  done
  printf '%-10s pid %-8s port %-6s\n' pgproxy "$(<"$r/pgproxy.pid")" "$(<"$home/postgres.port")"
  for k in $(seq "$(<"$home/servers")"); do
    status_line "app$k" med_appserver "ready app$k"
  done
  status_line haproxy haproxy "ready haproxy"
}
