#!/usr/bin/env bash
# Builds the Debian packages into build/package (no tests), after installing the tools packaging
# needs: dpkg-shlibdeps (dpkg-dev) and file for the dependencies, systemd-analyze to check the unit.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-missing.sh dpkg-dev file systemd

cmake --preset package >/dev/null
cmake --build --preset package
# verify wants ExecStart's binary on this machine: point a copy of the unit at the one just built.
check=$(mktemp -d)
trap 'rm -rf "$check"' EXIT
sed "s|^ExecStart=[^ ]*|ExecStart=$PWD/build/package/bin/med_appserver|" \
  build/package/packaging/med00418-appserver.service >"$check/med00418-appserver.service"
said=$(systemd-analyze verify --man=no "$check/med00418-appserver.service" 2>&1)
[[ -z $said ]] || { echo "$said" >&2; exit 1; }
(cd build/package && cpack -G DEB)
ls -l build/package/*.deb
