#!/usr/bin/env bash
# A group of two servers behind HAProxy keeps answering when one is killed -9, and stopping the group
# leaves no process behind; the HAProxy example shipped says what the group's configuration says, over
# TLS, and HAProxy serves through it. Exit 77 (skipped) only when HAProxy cannot be installed.
set -euo pipefail

script=${MED_SOURCE_DIR:?}/scripts/cluster.sh
# shellcheck source=tests/cluster/ProcessesGone.sh
source "$(dirname "$0")/ProcessesGone.sh"
export MED_CLUSTER_HOME
MED_CLUSTER_HOME=$(mktemp -d /tmp/med-cluster-test-XXXXXX)
# Processes this test starts itself besides the group, stopped by their id.
own_pids=()
trap '"$script" stop >/dev/null 2>&1 || true; kill "${own_pids[@]}" 2>/dev/null || true; rm -rf "$MED_CLUSTER_HOME"' EXIT

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

# The shipped example is the group's configuration with an installation's addresses and names, and TLS
# on both sides: the group's clients and servers are on loopback, where plain HTTP may carry secrets.
example=$MED_SOURCE_DIR/packaging/haproxy.cfg.example
directives() {
  sed -e 's/#.*//' -e 's/[[:space:]]\+/ /g' -e 's/^ //' -e 's/ $//' "$1" |
    grep -vE '^(stats socket|log)( |$)' |
    sed -E -e 's/^(bind|server [^ ]+) [^ ]+/\1 ADDRESS/' \
      -e 's/ (ssl-min-ver|crt|ca-file|verifyhost|verify) [^ ]+//g' -e 's/ (ssl|check-ssl)( |$)/\2/g' |
    grep -v '^$'
}
diff <(directives "$MED_CLUSTER_HOME/haproxy.cfg") <(directives "$example") >&2 ||
  fail "packaging/haproxy.cfg.example differs from what scripts/cluster.sh writes"
grep -qE '^ *bind [^ ]+ ssl crt ' "$example" || fail "the example takes its clients in clear"
if grep -E '^ *server ' "$example" | grep -vqE ' ssl verify required ca-file [^ ]+ .*check check-ssl( |$)'; then
  fail "the example reaches a server, or checks it, in clear or unverified"
fi

# HAProxy takes the example as it is and serves through it over TLS, given the files it names (made up
# here) and a server on loopback for both names.
made=$MED_CLUSTER_HOME/example
mkdir "$made"
(
  cd "$made"
  key=(-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes)
  openssl req -x509 "${key[@]}" -days 1 -subj "/CN=Med00418 CA" -keyout ca.key -out ca.crt
  openssl req "${key[@]}" -subj /CN=app1.example.com -keyout server.key -out server.csr
  printf 'subjectAltName=DNS:app1.example.com,DNS:app2.example.com\nextendedKeyUsage=serverAuth\n' >server.ext
  openssl x509 -req -in server.csr -CA ca.crt -CAkey ca.key -CAcreateserial -days 1 -extfile server.ext \
    -out server.crt
  chmod 600 server.key
  cat server.crt server.key >med00418.pem
) >/dev/null 2>&1 || fail "openssl could not make the certificates"
"$MED_BINARY_DIR/bin/med_appserver" --listen 127.0.0.1:0 --database "$made/app.db" --trusted-proxy 127.0.0.1 \
  --tls-cert "$made/server.crt" --tls-key "$made/server.key" >"$made/app.port" 2>"$made/app.log" </dev/null &
own_pids+=($!)
for _ in $(seq 100); do [[ -s $made/app.port ]] && break; sleep 0.1; done
app_port=$(head -1 "$made/app.port")
[[ $app_port =~ ^[0-9]+$ ]] || fail "the TLS server did not start: $(cat "$made/app.log")"
front=$((20000 + RANDOM % 12000))
sed -e "s#/etc/haproxy/med00418.pem#$made/med00418.pem#" -e "s#/etc/med00418/ca.crt#$made/ca.crt#g" \
  -e "s#/run/haproxy/admin.sock#$made/admin.sock#" -e "s#^\( *bind \):8418#\1127.0.0.1:$front#" \
  -e "s#10\.0\.0\.1[12]:8418#127.0.0.1:$app_port#" "$example" >"$made/haproxy.cfg"
if grep -E '^[^#]*(/etc/|/run/|10\.0\.0\.|:8418)' "$made/haproxy.cfg" >&2; then
  fail "the example names files or addresses this test does not stand in for"
fi
haproxy=$(command -v haproxy || echo /usr/sbin/haproxy)
"$haproxy" -c -q -f "$made/haproxy.cfg" >&2 || fail "HAProxy refuses packaging/haproxy.cfg.example"
setsid "$haproxy" -db -f "$made/haproxy.cfg" >"$made/haproxy.log" 2>&1 </dev/null &
own_pids+=($!)
through_example() {
  curl -sS -m 2 --cacert "$made/ca.crt" --resolve "app1.example.com:$front:127.0.0.1" \
    "https://app1.example.com:$front/health/ready" 2>/dev/null
}
# Ready once a check over TLS found the server up.
for _ in $(seq 50); do [[ $(through_example || true) == ok ]] && break; sleep 0.1; done
[[ $(through_example || true) == ok ]] || fail "no answer over TLS through the example: $(cat "$made/haproxy.log")"

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
