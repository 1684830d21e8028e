#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The root launcher, configured with stand-ins for the program and pkexec: it takes no
# arguments, runs the program itself when already root, and otherwise hands pkexec (by its
# absolute path) the program alone.
#   launcher_test.sh SOURCE_DIR
set -euo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
passed=0
fail() { echo "FAIL: $*" >&2; exit 1; }
ok() { passed=$((passed + 1)); }

printf '#!/bin/sh\necho "program as $(id -u):$*"\n' >"$work/program"
printf '#!/bin/sh\necho "pkexec as $(id -u):$*"\n' >"$work/pkexec"
chmod 755 "$work/program" "$work/pkexec"
launcher() {  # launcher NAME PKEXEC
  sed -e "s|@QBUS_INSTALLED_PROGRAM@|$work/program|" -e "s|@QBUS_PKEXEC@|$2|" \
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

out=$(as_user env PATH="$work:$PATH" "$work/quoril-bus-root")
[ "$out" = "pkexec as $(as_user id -u):$work/program" ] || fail "as a user: $out"; ok

out=$(as_user env PATH="$work:$PATH" "$work/no-pkexec" 2>&1) && fail "ran without pkexec"
[[ "$out" == "quoril-bus-root: $work/absent not found;"* ]] || fail "without pkexec: $out"; ok

if [ "$(id -u)" -eq 0 ]; then
  out=$(PATH="$work:$PATH" "$work/no-pkexec")
  [ "$out" = "program as 0:" ] || fail "as root: $out"; ok
fi
echo "$passed passed, 0 failed"
