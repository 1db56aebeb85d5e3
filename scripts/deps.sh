#!/usr/bin/env bash
# Installs every Debian package the project needs; does nothing when all are present.
set -euo pipefail

packages=(
  g++ cmake ninja-build make
  qt6-base-dev
  libqt6sql6-sqlite libqt6sql6-psql libqt6sql6-ibase
  libsqlite3-dev sqlite3
  postgresql
  firebird3.0-server-core firebird3.0-utils
  fonts-dejavu-core
  qt6-translations-l10n
  libsimdjson-dev
  libbenchmark-dev wrk
  openssl
)

bash "$(dirname "$0")/install-missing.sh" "${packages[@]}"
