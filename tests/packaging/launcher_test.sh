#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The launcher, configured with stand-ins for the program and pkexec: it takes no arguments,
# runs the program as the caller with the elevated library's folder as its only library path
# (the library starts pkexec itself), refuses when pkexec is missing, and runs the program
# plainly when already root.
#   launcher_test.sh SOURCE_DIR
set -euo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
passed=0
fail() { echo "FAIL: $*" >&2; exit 1; }
ok() { passed=$((passed + 1)); }

printf '#!/bin/sh\necho "program as $(id -u):$*:${LD_LIBRARY_PATH:-}"\n' >"$work/program"
printf '#!/bin/sh\necho "pkexec as $(id -u):$*"\n' >"$work/pkexec"
chmod 755 "$work/program" "$work/pkexec"
launcher() {  # launcher NAME PKEXEC
  sed -e "s|@QBUS_INSTALLED_PROGRAM@|$work/program|" -e "s|@QBUS_PKEXEC@|$2|" \
    -e "s|@QBUS_INSTALLED_ELEVATED@|$work/elevated|" \
    "$1/packaging/quoril-bus-root.in" >"$work/$3"
  chmod 755 "$work/$3"
}
launcher "$1" "$work/pkexec" quoril-bus-root
launcher "$1" "$work/absent" no-pkexec

# Runs a command as an ordinary user when this test runs as root, as is otherwise.
as_user() {
  if [ "$(id -u)" -eq 0 ]; then setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; else "$@"; fi
}

out=$("$work/quoril-bus-root" -platformpluginpath /tmp -platform evil 2>&1) && fail "arguments accepted"
[ "$out" = "quoril-bus-root: takes no arguments" ] || fail "arguments: $out"; ok

out=$(as_user env PATH="$work:$PATH" LD_LIBRARY_PATH=/tmp/planted "$work/quoril-bus-root")
[ "$out" = "program as $(as_user id -u)::$work/elevated" ] || fail "as a user: $out"; ok

out=$(as_user env PATH="$work:$PATH" "$work/no-pkexec" 2>&1) && fail "ran without pkexec"
[[ "$out" == "quoril-bus-root: $work/absent not found;"* ]] || fail "without pkexec: $out"; ok

if [ "$(id -u)" -eq 0 ]; then
  out=$(PATH="$work:$PATH" "$work/no-pkexec")
  [ "$out" = "program as 0::" ] || fail "as root: $out"; ok
fi
echo "$passed passed, 0 failed"
