#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package, unpacks it into a temporary root and checks what a user's system
# would get: the program finds its access library through its RUNPATH alone; the binaries are
# stripped, with their debug information in the -dbgsym package; licence, copyright, changelog
# and manual pages are there; the desktop entry and metainfo validate (lintian runs in
# `make check`: tests/packaging/lint.sh).
# The polkit action names the root helper alone, and the unpacked elevated library starts the
# unpacked helper through pkexec (a fake, in a private mount namespace; reads only).
#   package_test.sh BUILD_DIR LIBRARY_FILE LIBRARY_DIR (as installed, below /usr)
set -euo pipefail
build_dir=$1
library=$2
libdir=$3
support=$(cd "$(dirname "$0")/../support" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build_dir/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/out/quoril-bus_*.deb)
ls "$work"/out/quoril-bus-dbgsym_*.ddeb >/dev/null || fail "no -dbgsym package"
root="$work/root"
dpkg -x "$deb" "$root"

for file in usr/bin/quoril-bus usr/bin/quoril-bus-root usr/$libdir/$library \
            usr/$libdir/sim/$library usr/$libdir/elevated/$library \
            usr/libexec/quoril-bus/quoril-bus-helper \
            usr/share/doc/quoril-bus/copyright usr/share/doc/quoril-bus/changelog.Debian.gz \
            usr/share/man/man1/quoril-bus.1.gz usr/share/man/man1/quoril-bus-root.1.gz \
            usr/share/applications/org.quorilbus.QuorilBus.desktop \
            usr/share/metainfo/org.quorilbus.QuorilBus.metainfo.xml \
            usr/share/polkit-1/actions/org.quorilbus.QuorilBus.policy \
            usr/share/icons/hicolor/32x32/apps/org.quorilbus.QuorilBus.png \
            usr/share/icons/hicolor/scalable/apps/org.quorilbus.QuorilBus.svg; do
  [ -e "$root/$file" ] || fail "missing $file"
done

depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6widgets6 libpci3 fonts-liberation2 qt6-qpa-plugins pkexec; do
  [[ "$depends" == *"$package"* ]] || fail "Depends lacks $package: $depends"
done

runpath=$(readelf -d "$root/usr/bin/quoril-bus" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p')
[ "$runpath" = "\$ORIGIN/../$libdir" ] || fail "RUNPATH is '$runpath'"
for binary in usr/bin/quoril-bus usr/$libdir/$library usr/$libdir/sim/$library \
              usr/$libdir/elevated/$library usr/libexec/quoril-bus/quoril-bus-helper; do
  if readelf -S "$root/$binary" | grep -qE '\.(debug_info|symtab)'; then fail "$binary is not stripped"; fi
done
grep -q "^License: GPL-3.0-or-later" "$root/usr/share/doc/quoril-bus/copyright" ||
  fail "the copyright file names no licence"
zcat "$root/usr/share/man/man1/quoril-bus.1.gz" | grep -q '^\.SH EXIT STATUS' || fail "manual page"
if ldd "$root/usr/bin/quoril-bus" | grep -q "not found"; then fail "unresolved libraries"; fi

# Run the unpacked program as a user with no library path (the read-only mode) and watch the dynamic
# loader open the access library beside it. The program then waits for its user; stop it.
env -u LD_LIBRARY_PATH QT_QPA_PLATFORM=offscreen LD_DEBUG=libs \
  timeout 5 "$support/../../scripts/as_user" "$root/usr/bin/quoril-bus" >"$work/run.log" 2>&1 || true
grep -q "calling init: $root/usr/bin/../$libdir/$library" "$work/run.log" ||
  fail "the program did not load its library: $(grep -i winring0 "$work/run.log" | head -5)"

policy="$root/usr/share/polkit-1/actions/org.quorilbus.QuorilBus.policy"
grep -q 'exec.path">/usr/libexec/quoril-bus/quoril-bus-helper<' "$policy" ||
  fail "the polkit policy names another program than the helper"
if grep -q allow_gui "$policy"; then fail "the polkit policy lets a root program use the display"; fi
# The unpacked elevated library starts the unpacked helper, through pkexec by its absolute path.
mkdir "$work/fakes"
printf '#!/bin/sh\necho "$@" >%s/pkexec.args\nexec "$@"\n' "$work" >"$work/fakes/pkexec"
chmod +x "$work/fakes/pkexec"
"$support/with_fake_usr_bin.sh" "$work/fakes" env \
  QBUS_LIBRARY_UNDER_TEST="$root/usr/$libdir/elevated/$library" "$build_dir/bin/real_machine_test" \
  --gtest_filter='RealMachine.TheFullPortScan*' >"$work/elevated.log" 2>&1 ||
  fail "the elevated library: $(tail -5 "$work/elevated.log")"
grep -q SKIPPED "$work/elevated.log" ||
  [ "$(cat "$work/pkexec.args")" = "$root/usr/libexec/quoril-bus/quoril-bus-helper" ] ||
  fail "the elevated library started $(cat "$work/pkexec.args")"
if ldd "$root/usr/libexec/quoril-bus/quoril-bus-helper" | grep -qiE 'qt|xcb|dbus|fontconfig'; then
  fail "the helper links the window's libraries"
fi
[ "$(grep -o '>auth_[a-z_]*<' "$policy" | sort -u)" = '>auth_admin<' ] ||
  fail "the polkit policy does not ask for the password each time"
grep -qx 'program=/usr/bin/quoril-bus' "$root/usr/bin/quoril-bus-root" &&
  grep -qx 'pkexec=/usr/bin/pkexec' "$root/usr/bin/quoril-bus-root" &&
  grep -qx "elevated=/usr/$libdir/elevated" "$root/usr/bin/quoril-bus-root" ||
  fail "the launcher starts another program"

desktop-file-validate "$root/usr/share/applications/org.quorilbus.QuorilBus.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.quorilbus.QuorilBus.metainfo.xml"
echo "1 passed, 0 failed"
