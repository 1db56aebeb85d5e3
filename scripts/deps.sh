#!/usr/bin/env bash
# Installs the Debian packages one purpose needs, and nothing more; does nothing when all are present.
#   run    building, and opening the screen on the embedded default (make run, make build)
#   test   run's, plus the real servers and tools the tests start, and the benchmark library: the suite
#          runs every benchmark at a tiny size (make test)
#   bench  test's, plus the HTTP load generator and the profiler of the host's call (make bench)
set -euo pipefail
purpose=${1:-run}

run=(
  g++ cmake ninja-build make
  qt6-base-dev
  libqt6sql6-sqlite
  libsqlite3-dev sqlite3
  fonts-dejavu-core
  qt6-translations-l10n
  libsimdjson-dev
  libsodium-dev
  libpam0g-dev
  libsystemd-dev pkgconf
)
test=(
  libqt6sql6-psql libqt6sql6-ibase
  postgresql
  firebird3.0-server-core firebird3.0-utils
  openssl
  haproxy
  patroni etcd-server python3-etcd
  libbenchmark-dev
  libpam-wrapper
)
bench=(wrk linux-perf python3)

case $purpose in
  run) packages=("${run[@]}") ;;
  test) packages=("${run[@]}" "${test[@]}") ;;
  bench) packages=("${run[@]}" "${test[@]}" "${bench[@]}") ;;
  *) echo "usage: $0 run|test|bench" >&2; exit 2 ;;
esac
bash "$(dirname "$0")/install-missing.sh" "${packages[@]}"
