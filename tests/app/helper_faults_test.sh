#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The program on the elevated library with its helper killed or stopped (helper_faults_test.cpp),
# in a private mount namespace: a stand-in for /usr/bin/pkexec starts the helper, and a fake
# /sys/bus/pci holding one function takes the writes, so no real register is touched. The
# helper, not the window, records the write in the namespace's own system log (its intent, then
# its outcome), with the requesting user: root, then an ordinary user's window (uid 65534).
# Where no system log listens the helper refuses the write and records it nowhere else.
#   helper_faults_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source=$1 build=$2
if [ "$(id -u)" -ne 0 ]; then echo "skipped: a private mount namespace needs root"; exit 0; fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# The lines of the helper's records in a log that with_system_log.sh kept.
records() { sed -n 's/^<13>.\{15\} quoril-bus-helper\[[0-9]*\]: //p' "$1"; }

# 00:00.0 with 4 KiB: 86 80 37 12, then byte i holds i & 0xFF.
mkdir -p "$work/fakes" "$work/sys/devices/0000:00:00.0"
python3 -c '
import sys
b = bytearray(i & 0xFF for i in range(4096)); b[0:4] = bytes([0x86, 0x80, 0x37, 0x12])
open(sys.argv[1], "wb").write(b)' "$work/sys/devices/0000:00:00.0/config"
printf '#!/bin/sh\nexec /usr/bin/env -i "$@"\n' >"$work/fakes/pkexec"
chmod +x "$work/fakes/pkexec"

"$source/tests/support/with_system_log.sh" "$work/log" \
  "$source/tests/support/with_fake_usr_bin.sh" "$work/fakes" \
  sh -c 'mount --bind "$1" /sys/bus/pci && shift && exec "$@"' sh "$work/sys" \
  env QBUS_HELPER_FAULTS=1 QT_QPA_PLATFORM=offscreen LANG=C.UTF-8 \
  "$build/bin/program_test" --gtest_filter='HelperFaults.*' 2>"$work/stderr" ||
  { cat "$work/stderr" >&2; fail "the program misreported a helper fault"; }
[ "$(records "$work/log")" = "write 00:00.0 offset=0x0040 width=DWord before=0x43424140 \
value=0x43424141 uid=0
write 00:00.0 offset=0x0040 width=DWord before=0x43424140 value=0x43424141 after=0x43424141 \
result=ok uid=0" ] || { cat "$work/log" >&2; fail "the helper did not record the write"; }
[ "$(od -An -tx1 -j64 -N4 "$work/sys/devices/0000:00:00.0/config" | xargs)" = "41 41 42 43" ] ||
  fail "the write did not reach the fake tree"

# The rest runs the window as uid 65534, which a build under a private folder shuts out.
status=0
"$source/tests/support/as_ordinary_user.sh" true "$build/bin/access_test" || status=$?
if [ "$status" -eq 77 ]; then
  echo "3 passed, 0 failed; the runs as an ordinary user skipped"
  exit 0
fi

# The window as an ordinary user (uid 65534 to the kernel), its helper root through a stand-in
# for pkexec that is setuid root as pkexec is: the record names the user at the window's end of
# the socket, not the helper's own.
mkdir -m 755 "$work/setuid"
install -m 4755 "$(command -v setpriv)" "$work/setuid/become-root"
cat >"$work/setuid/pkexec" <<'FAKE'
#!/bin/sh
exec /usr/bin/become-root --reuid=0 --regid=0 --clear-groups /usr/bin/env -i "$@"
FAKE
chmod 755 "$work/setuid/pkexec"
"$source/tests/support/with_system_log.sh" "$work/user.log" \
  "$source/tests/support/with_fake_usr_bin.sh" "$work/setuid" \
  sh -c 'mount --bind "$1" /sys/bus/pci && shift && exec "$@"' sh "$work/sys" \
  "$source/tests/support/as_ordinary_user.sh" env QBUS_HELPER_WRITE=1 "$build/bin/access_test" \
  --gtest_filter=HelperWriteRecord.AWriteOfAnOrdinaryUsersWindow >"$work/user.out" \
  2>"$work/user.err" || { cat "$work/user.out" "$work/user.err" >&2; fail "a user's write failed"; }
[ "$(records "$work/user.log")" = "write 00:00.0 offset=0x0044 width=DWord before=0x47464544 \
value=0x12345678 uid=65534
write 00:00.0 offset=0x0044 width=DWord before=0x47464544 value=0x12345678 after=0x12345678 \
result=ok uid=65534" ] || { cat "$work/user.log" >&2; fail "the helper did not record the window's user"; }

# No system log listens: the user's write is refused and the window told why, the register
# keeps its value, no record goes to the window's standard error, and the window cannot be
# traced while its helper serves it.
"$source/tests/support/with_system_log.sh" - \
  "$source/tests/support/with_fake_usr_bin.sh" "$work/setuid" \
  sh -c 'mount --bind "$1" /sys/bus/pci && shift && exec "$@"' sh "$work/sys" \
  "$source/tests/support/as_ordinary_user.sh" env QBUS_HELPER_UNLOGGED=1 "$build/bin/access_test" \
  --gtest_filter=ElevatedLibrary.RefusesAnUnrecordedWriteAndKeepsTheWindowUndumpable \
  >"$work/unlogged.out" 2>"$work/unlogged.err" && grep -q '^\[  PASSED  \] 1 test' "$work/unlogged.out" ||
  { cat "$work/unlogged.out" "$work/unlogged.err" >&2; fail "an unrecorded write was not refused"; }
[ "$(od -An -tx1 -j72 -N4 "$work/sys/devices/0000:00:00.0/config" | xargs)" = "48 49 4a 4b" ] ||
  fail "an unrecorded write reached the fake tree"
if grep -q "quoril-bus-helper" "$work/unlogged.err"; then
  cat "$work/unlogged.err" >&2
  fail "the helper wrote on the window's standard error"
fi
echo "5 passed, 0 failed"
