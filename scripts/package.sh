#!/usr/bin/env bash
# Builds the Debian packages into build/package (no tests), after installing the tools packaging
# needs: dpkg-shlibdeps (dpkg-dev) and file for the dependencies, systemd-analyze to check the unit.
set -euo pipefail
cd "$(dirname "$0")/.."

missing=()
for p in dpkg-dev file systemd; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ $status == "install ok installed" ]] || missing+=("$p")
done
if [[ ${#missing[@]} -gt 0 ]]; then
  sudo=()
  [[ $(id -u) -eq 0 ]] || sudo=(sudo)
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

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
