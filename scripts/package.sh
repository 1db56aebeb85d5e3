#!/usr/bin/env bash
# Builds the Debian packages into build/package (no tests), after installing the tools packaging
# needs: dpkg-shlibdeps and dpkg-buildflags (dpkg-dev), file for the dependencies, systemd-analyze to
# check the unit, lintian to check the packages. Debian's hardening flags (dpkg-buildflags, with every
# hardening feature on) go into the build; lintian must find no error and no warning.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-missing.sh dpkg-dev file systemd lintian

export DEB_BUILD_MAINT_OPTIONS=hardening=+all
flags() { dpkg-buildflags --get "$1"; }
cmake --preset package \
  -DCMAKE_CXX_FLAGS="$(flags CXXFLAGS) $(flags CPPFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(flags LDFLAGS)" \
  -DCMAKE_SHARED_LINKER_FLAGS="$(flags LDFLAGS)" \
  -DCMAKE_MODULE_LINKER_FLAGS="$(flags LDFLAGS)" >/dev/null
cmake --build --preset package
# verify wants ExecStart's binary on this machine: point a copy of the unit at the one just built.
check=$(mktemp -d)
trap 'rm -rf "$check"' EXIT
sed "s|^ExecStart=[^ ]*|ExecStart=$PWD/build/package/bin/med_appserver|" \
  build/package/packaging/med00418-appserver.service >"$check/med00418-appserver.service"
said=$(systemd-analyze verify --man=no "$check/med00418-appserver.service" 2>&1)
[[ -z $said ]] || { echo "$said" >&2; exit 1; }
rm -f build/package/*.deb
(cd build/package && cpack -G DEB)
ls -l build/package/*.deb
# Informational tags (I:) and overrides stay quiet; any error (E:) or warning (W:) fails the build.
lintian --fail-on error,warning build/package/*.deb
echo "lintian: no error, no warning"
