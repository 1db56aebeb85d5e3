#!/usr/bin/env bash
# Installs this build into a scratch root (DESTDIR) and checks what administrators rely on: every
# file where the service unit and the configuration expect it, nothing of the tests, binaries that
# run from there without LD_LIBRARY_PATH, the packaged configuration accepted by the server, and a
# unit systemd-analyze finds nothing to say about; then the DEB packages CPack makes of this build:
# conffile, modes, maintainer scripts, dependencies. Exit 77: skipped (no dpkg-deb).
set -uo pipefail
build=$1 prefix=$2 version=$3 bindir=$4 pkglibdir=$5 bin_to_pkglib=$6 confdir=$7 statedir=$8

command -v dpkg-deb >/dev/null || { echo "SKIP: dpkg-deb is not installed"; exit 77; }

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { local what=$1; shift; "$@" || fail "$what"; }

root=$(mktemp -d)
server_pid=""
cleanup() {
  [[ -n $server_pid ]] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
  rm -rf "$root"
}
trap cleanup EXIT

DESTDIR=$root cmake --install "$build" >"$root.log" 2>&1 || { cat "$root.log"; rm -f "$root.log"; exit 1; }
rm -f "$root.log"
top=$root$prefix

# The executables and the one library folder, with nothing else in them.
check "executables in $bindir" test "$(ls "$top/$bindir" | tr '\n' ' ')" = "med_appserver med_host "
check "libraries in $pkglibdir" test "$(ls "$top/$pkglibdir" | tr '\n' ' ')" = \
  "Pkg_med00418.so lib_frm.so libhost_controls.so libhost_db.so libhost_kit.so "
check "the host's module folder holds the module" test -f "$top/$bindir/$bin_to_pkglib/Pkg_med00418.so"
stray=$(find "$root" -name '*tst_*' -o -name '*bench*' -o -name '*testsupport*' -o -name '*.a')
check "no test or benchmark file installed: $stray" test -z "$stray"

unit=$top/lib/systemd/system/med00418-appserver.service
check "unit installed" test -f "$unit"
check "desktop entry installed" test -f "$top/share/applications/med00418.desktop"
conf=$root$confdir/appserver.conf
check "configuration installed" test -f "$conf"
for lang in "" pt/; do
  for program in med_appserver med_host; do
    check "manual page ${lang}$program" test -s "$top/share/man/${lang}man1/$program.1.gz"
  done
done
check "manual page lists the options with their defaults" \
  grep -q "Default: 127.0.0.1:8418" <(zcat "$top/share/man/man1/med_appserver.1.gz" | tr -s ' \n' '  ')
logrotate=$(dirname "$confdir")/logrotate.d/med00418-appserver
check "logrotate file installed" test -f "$root$logrotate"
check "PAM service example installed beside the HAProxy one" \
  test -f "$top/share/doc/med00418-appserver/examples/pam.d-med00418.example"

# What the unit starts must be there, and read the configuration file that is there.
exec_start=$(sed -n 's/^ExecStart=//p' "$unit")
read -r binary config_flag config_path <<<"$exec_start"
check "unit starts an installed binary ($binary)" test -x "$root$binary"
check "unit reads the installed configuration ($config_flag $config_path)" \
  test "$config_flag $root$config_path" = "--config $conf"
check "unit's state folder is the configuration's" grep -q "^database = $statedir/" "$conf"

# Run from the scratch root alone: only RPATHs can find the libraries.
for program in med_appserver med_host; do
  out=$(env -u LD_LIBRARY_PATH "$top/$bindir/$program" --version 2>&1)
  check "$program --version printed \"$out\"" test "$out" = "$program $version"
done

# The packaged configuration starts the server (listen and database moved into the scratch root).
env -u LD_LIBRARY_PATH "$root$binary" --config "$conf" --listen 127.0.0.1:0 --database "$root/server.db" \
  >"$root/port" 2>"$root/server.log" &
server_pid=$!
for _ in $(seq 300); do
  [[ -s $root/port ]] || ! kill -0 "$server_pid" 2>/dev/null && break
  sleep 0.1
done
check "server started on the packaged configuration: $(cat "$root/server.log")" grep -qx '[0-9]\+' "$root/port"
kill "$server_pid" 2>/dev/null
wait "$server_pid" 2>/dev/null
server_pid=""

if command -v systemd-analyze >/dev/null; then
  # verify looks for ExecStart's binary on this machine: point it into the scratch root.
  mkdir -p "$root/verify"
  sed "s|^ExecStart=$binary|ExecStart=$root$binary|" "$unit" >"$root/verify/med00418-appserver.service"
  said=$(systemd-analyze verify --man=no "$root/verify/med00418-appserver.service" 2>&1)
  check "systemd-analyze verify: $said" test -z "$said"
else
  echo "systemd-analyze not installed: unit not verified"
fi

# The packages of this build, made into the scratch folder (CPack only packs what is built).
# CPack derives dependencies with dpkg-shlibdeps, after checking each binary with file(1).
if command -v dpkg-shlibdeps >/dev/null && command -v file >/dev/null; then
  (cd "$build" && cpack -G DEB -B "$root/debs" -D CPACK_DEBIAN_COMPRESSION_TYPE=gzip >"$root/cpack.log" 2>&1) ||
    fail "cpack: $(cat "$root/cpack.log")"
  deb=$(echo "$root"/debs/med00418-appserver_*.deb)
  control() { dpkg-deb --ctrl-tarfile "$deb" | tar -xO "./$1"; }
  check "conffiles" test "$(control conffiles | tr '\n' ' ')" = "$confdir/appserver.conf $logrotate "
  check "postinst makes the configuration 0640" grep -q 'chmod 0640 "$conf"' <(control postinst)
  check "postinst makes the state folder 0700" grep -q 'chmod 0700 "$state"' <(control postinst)
  check "postinst creates the system user" grep -q "adduser --system" <(control postinst)
  for script in postinst prerm postrm; do
    check "$script is a valid shell script" sh -n <(control $script)
  done
  for dep in med00418-common libqt6core6 libqt6network6 libqt6sql6 libqt6sql6-sqlite libqt6sql6-psql libpam0g adduser; do
    check "med00418-appserver depends on $dep" grep -q "\b$dep\b" <<<"$(dpkg-deb -f "$deb" Depends)"
  done
  desktop=$(dpkg-deb -c "$root"/debs/med00418-desktop_*.deb)
  check "med00418-desktop holds the module" grep -q "/Pkg_med00418.so$" <<<"$desktop"
  check "med00418-desktop holds no server" test -z "$(grep med_appserver <<<"$desktop")"
else
  echo "dpkg-shlibdeps or file not installed: packages not built"
fi

echo "$failures failure(s)"
[[ $failures -eq 0 ]]
