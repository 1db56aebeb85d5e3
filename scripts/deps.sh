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
  libsimdjson-dev
  libbenchmark-dev wrk
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ $status == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
