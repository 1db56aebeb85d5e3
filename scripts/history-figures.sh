#!/usr/bin/env bash
# One GetHistEfetGest on a line with ROWS history rows (1,000,000 by default), asked of two server
# builds side by side on copies of one SQLite file: answer size, time, and the server's peak RSS.
#   scripts/history-figures.sh OLD_MED_APPSERVER NEW_MED_APPSERVER [ROWS]
set -euo pipefail
old=$1 new=$2 rows=${3:-1000000}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

serve() { # binary database -> pid and port in $pid $port
  "$1" --listen 127.0.0.1:0 --database "$2" --workers 1 --log-rules 'med.appserver*.info=false' \
    >"$dir/port" 2>>"$dir/log" &
  pid=$!
  for _ in $(seq 200); do [[ -s $dir/port ]] && break; sleep 0.05; done
  port=$(head -1 "$dir/port")
}

# The schema of the older build, the demo data, then the rows straight into the table.
serve "$old" "$dir/base.db"
kill "$pid"; wait "$pid" || true; : >"$dir/port"
sqlite3 "$dir/base.db" <<SQL
INSERT INTO FILIAL (CDFILIAL, NMFILIAL) VALUES ('0001', 'Filial');
INSERT INTO SERVICO (CDFILIAL, CDSERVFILI, NMSERVICO) VALUES ('0001', '00001', 'Serviço');
INSERT INTO USR_EFETGEST VALUES ('0001', '2031-03-05', '00001', 10000, 10000, 10000);
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < $rows)
INSERT INTO HIST_EFETGEST (QUANDO, CLIENTE, USUARIO, TIPO, CDFILIAL, DTEFETGEST, CDSERVFILI, QT_ANTES,
  VR_ANTES, TT_ANTES, QT_DEPOIS, VR_DEPOIS, TT_DEPOIS)
SELECT $(date +%s)000 + i, '127.0.0.1', 'clerk', 'update', '0001', '2031-03-05', '00001',
  10000 + i % 2 * 10000, 10000, 10000 + i % 2 * 10000, 20000 - i % 2 * 10000, 10000,
  20000 - i % 2 * 10000 FROM n;
SQL

body='{"jsonrpc":"2.0","id":1,"method":"GetHistEfetGest","params":["0001","2031-03-05","00001"]}'
printf '%-7s %14s %10s %14s %14s\n' build "answer bytes" seconds "RSS KiB before" "peak RSS KiB"
for build in old new; do
  cp "$dir/base.db" "$dir/$build.db"
  # A first start brings the schema up to date, so the one measured does nothing but serve.
  serve "${!build}" "$dir/$build.db"
  kill "$pid"; wait "$pid" || true; : >"$dir/port"
  serve "${!build}" "$dir/$build.db"
  sleep 1
  before=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
  out=$(curl -s -o "$dir/answer" -w '%{size_download} %{time_total}' -H 'Content-Type: application/json' \
    --data "$body" "http://127.0.0.1:$port/Med00418.rdmMediEfeti")
  rss=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status")
  printf '%-7s %14s %10s %14s %14s\n' "$build" ${out% *} ${out#* } "$before" "$rss"
  kill "$pid"; wait "$pid" || true; : >"$dir/port"
done
