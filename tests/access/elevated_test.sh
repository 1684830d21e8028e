#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The elevated library end to end on this machine, read-only: its helper started through a fake
# /usr/bin/pkexec, the port scan and the first 64 bytes of every function compared with lspci
# and setpci. pkexec is called with the helper's absolute path and nothing else, the helper is
# gone once the library is released, a refused authentication is a failed initialisation, and
# the helper sheds what it inherits and keeps only the capability it needs.
#   elevated_test.sh SOURCE_DIR BUILD_DIR ACCESS_FILE LIBRARY_DIR
set -euo pipefail
source=$1 build=$2 file=$3 libdir=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
library=$build/$libdir/elevated/$file
helper=$(realpath "$build/libexec/quoril-bus/quoril-bus-helper")

mkdir "$work/accepts" "$work/refuses"
# Once authorised, pkexec runs the program as root with a cleared environment.
cat >"$work/accepts/pkexec" <<FAKE
#!/bin/sh
printf '%s\n' "\$@" >"$work/pkexec.args"
echo \$\$ >"$work/helper.pid"
exec /usr/bin/env -i "\$@"
FAKE
printf '#!/bin/sh\nexit 126\n' >"$work/refuses/pkexec"  # the user cancelled the dialog
chmod +x "$work/accepts/pkexec" "$work/refuses/pkexec"

"$source/tests/support/with_fake_usr_bin.sh" "$work/accepts" \
  env QBUS_LIBRARY_UNDER_TEST="$library" "$build/bin/real_machine_test" || fail "reads differ"
[ "$(cat "$work/pkexec.args")" = "$helper" ] || fail "pkexec was called with: $(cat "$work/pkexec.args")"
# Its own helper, by process id: other tests may run helpers of their own meanwhile.
if kill -0 "$(cat "$work/helper.pid")" 2>/dev/null; then fail "a helper outlived its library"; fi

"$source/tests/support/with_fake_usr_bin.sh" "$work/refuses" \
  env QBUS_LIBRARY_UNDER_TEST="$library" QBUS_EXPECT_REFUSAL=1 "$build/bin/real_machine_test" \
  --gtest_filter='RefusedAuthentication.*' || fail "a refusal was not a failed initialisation"
# The helper alone: it takes no arguments, keeps no descriptor of its parent's beyond the three
# standard ones (libpci opens its own), and cannot dump core. It reads the machine, as root when the test is root.
out=$("$helper" --sysfs=/tmp </dev/null 2>&1) && fail "the helper took an argument"
[ "$out" = "quoril-bus-helper: takes no arguments" ] || fail "an argument: $out"
sleep 3 | "$helper" >"$work/announced" 9>"$work/inherited" &
pid=$!
for _ in $(seq 100); do [ "$(stat -c %s "$work/announced")" -ge 12 ] && break; sleep 0.05; done
[ "$(stat -c %s "$work/announced")" -ge 12 ] || fail "the helper announced nothing"
for fd in /proc/$pid/fd/*; do
  [ "$(readlink "$fd")" != "$work/inherited" ] || fail "the helper kept descriptor $fd"
done
grep -q '^Max core file size  *0  *0 ' /proc/$pid/limits || fail "the helper can dump core"
# Once it serves, it keeps CAP_SYS_ADMIN alone (as root), can gain nothing, and is filtered.
status=$(grep -E '^(CapEff|CapPrm|CapInh|CapBnd|CapAmb|NoNewPrivs|Seccomp):' /proc/$pid/status | xargs)
if [ "$(id -u)" -eq 0 ]; then
  expected="CapInh: 0000000000000000 CapPrm: 0000000000200000 CapEff: 0000000000200000"
  expected+=" CapBnd: 0000000000200000 CapAmb: 0000000000000000 NoNewPrivs: 1 Seccomp: 2"
else
  expected="CapInh: 0000000000000000 CapPrm: 0000000000000000 CapEff: 0000000000000000"
  expected+=" CapBnd: $(awk '/^CapBnd/ {print $2}' /proc/self/status) CapAmb: 0000000000000000"
  expected+=" NoNewPrivs: 1 Seccomp: 2"
fi
[ "$status" = "$expected" ] || fail "the helper holds more than it needs: $status"
wait "$pid" || fail "the helper did not end cleanly when its input closed"
echo "5 passed, 0 failed"
