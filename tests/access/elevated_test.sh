#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The elevated library end to end on this machine, read-only: its helper started through a fake
# /usr/bin/pkexec, the port scan and the first 64 bytes of every function compared with lspci
# and setpci. pkexec is called with the helper's absolute path and nothing else, the helper is
# gone once the library is released, a refused authentication is a failed initialisation, and
# the helper sheds what it inherits and keeps only the capability it needs. With "as-user" (run
# as root) the window side is an ordinary user's (uid 65534 to the kernel) and pkexec's stand-in
# is setuid root as pkexec is: what the window reads through its root helper, whole functions
# too, is what root reads.
#   elevated_test.sh SOURCE_DIR BUILD_DIR ACCESS_FILE LIBRARY_DIR [as-user]
set -euo pipefail
source=$1 build=$2 file=$3 libdir=$4 as_user=${5:-}
if [ -n "$as_user" ] && [ "$(id -u)" -ne 0 ]; then
  echo "skipped: not root, elevated_test runs the window as an ordinary user already"
  exit 0
fi
work=$(mktemp -d)
# What the stand-in for pkexec notes, where the window's user may write it.
seen=$work
[ -z "$as_user" ] || seen=$(mktemp -d)
trap 'rm -rf "$work" "$seen"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
library=$build/$libdir/elevated/$file
helper=$(realpath "$build/libexec/quoril-bus/quoril-bus-helper")

mkdir -m 755 "$work/accepts" "$work/refuses"
root=
window=()
if [ -n "$as_user" ]; then
  status=0
  "$source/tests/support/as_ordinary_user.sh" true "$build/bin/real_machine_test" || status=$?
  [ "$status" -eq 77 ] && exit 77
  chown 65534:65534 "$seen"
  install -m 4755 "$(command -v setpriv)" "$work/accepts/become-root"
  root="/usr/bin/become-root --reuid=0 --regid=0 --clear-groups"
  # The window's lspci reads as root's does, as its helper does.
  mkdir -m 755 "$work/accepts/as-root"
  printf '#!/bin/sh\nexec %s %s "$@"\n' "$root" "$(command -v lspci)" \
    >"$work/accepts/as-root/lspci"
  chmod 755 "$work/accepts/as-root/lspci"
  window=("$source/tests/support/as_ordinary_user.sh" env PATH="/usr/bin/as-root:$PATH")
fi
# Once authorised, pkexec runs the program as root with a cleared environment.
cat >"$work/accepts/pkexec" <<FAKE
#!/bin/sh
printf '%s\n' "\$@" >"$seen/pkexec.args"
echo \$\$ >"$seen/helper.pid"
exec $root /usr/bin/env -i "\$@"
FAKE
printf '#!/bin/sh\nexit 126\n' >"$work/refuses/pkexec"  # the user cancelled the dialog
chmod 755 "$work/accepts/pkexec" "$work/refuses/pkexec"

"$source/tests/support/with_fake_usr_bin.sh" "$work/accepts" "${window[@]}" \
  env QBUS_LIBRARY_UNDER_TEST="$library" "$build/bin/real_machine_test" || fail "reads differ"
[ "$(cat "$seen/pkexec.args")" = "$helper" ] || fail "pkexec was called with: $(cat "$seen/pkexec.args")"
# Its own helper, by process id: other tests may run helpers of their own meanwhile.
if kill -0 "$(cat "$seen/helper.pid")" 2>/dev/null; then fail "a helper outlived its library"; fi

"$source/tests/support/with_fake_usr_bin.sh" "$work/refuses" "${window[@]}" \
  env QBUS_LIBRARY_UNDER_TEST="$library" QBUS_EXPECT_REFUSAL=1 "$build/bin/real_machine_test" \
  --gtest_filter='RefusedAuthentication.*' || fail "a refusal was not a failed initialisation"
if [ -n "$as_user" ]; then
  echo "4 passed, 0 failed"
  exit 0
fi
# The helper alone: it takes no arguments, keeps no descriptor of its parent's beyond the three
# standard ones (libpci opens its own), and cannot dump core. It reads the machine, as root when the test is root.
out=$("$helper" --sysfs=/tmp </dev/null 2>&1) && fail "the helper took an argument"
[ "$out" = "quoril-bus-helper: takes no arguments" ] || fail "an argument: $out"
# On one end of a socket pair, as the window starts it; the window's stand-in keeps what the
# helper sends and ends the stream after 3 seconds.
: >"$work/announced"
python3 -c '
import os, socket, sys, time
window, helper = socket.socketpair()
if os.fork() == 0:
    helper.close()
    with open(sys.argv[2], "wb", buffering=0) as announced:
        end = time.monotonic() + 3
        while (left := end - time.monotonic()) > 0:
            window.settimeout(left)
            try:
                sent = window.recv(65536)
            except socket.timeout:
                break
            if not sent:
                break
            announced.write(sent)
    os._exit(0)
os.dup2(helper.fileno(), 0)
os.dup2(helper.fileno(), 1)
window.close()
helper.close()
os.execv(sys.argv[1], [sys.argv[1]])' "$helper" "$work/announced" 9>"$work/inherited" &
pid=$!
for _ in $(seq 100); do [ "$(stat -c %s "$work/announced")" -ge 12 ] && break; sleep 0.05; done
[ "$(stat -c %s "$work/announced")" -ge 12 ] || fail "the helper announced nothing"
for fd in /proc/$pid/fd/*; do
  [ "$(readlink "$fd")" != "$work/inherited" ] || fail "the helper kept descriptor $fd"
done
grep -q '^Max core file size  *0  *0 ' /proc/$pid/limits || fail "the helper can dump core"
# Beyond the three standard descriptors it holds only the functions' configuration files and
# its system log connection, all opened before it began to serve.
for fd in /proc/$pid/fd/*; do
  # Not root, the helper's undumpable /proc entries are not ours to list.
  [ -e "$fd" ] || continue
  [ "${fd##*/}" -le 2 ] && continue
  case $(readlink "$fd") in
    /sys/*/config | socket:*) ;;
    *) fail "the helper holds $fd: $(readlink "$fd")" ;;
  esac
done
# Once it serves, as root it is nobody with no capability at all (its sysfs files keep the
# rights it opened them with), can gain nothing, and is filtered.
status=$(grep -E '^(Uid|Gid|Groups|CapEff|CapPrm|CapInh|CapBnd|CapAmb|NoNewPrivs|Seccomp):' \
  /proc/$pid/status | xargs)
if [ "$(id -u)" -eq 0 ]; then
  expected="Uid: 65534 65534 65534 65534 Gid: 65534 65534 65534 65534 Groups:"
  expected+=" CapInh: 0000000000000000 CapPrm: 0000000000000000 CapEff: 0000000000000000"
  expected+=" CapBnd: 0000000000000000 CapAmb: 0000000000000000 NoNewPrivs: 1 Seccomp: 2"
else
  me="$(id -u) $(id -u) $(id -u) $(id -u)" group="$(id -g) $(id -g) $(id -g) $(id -g)"
  expected="Uid: $me Gid: $group $(grep '^Groups:' /proc/self/status | xargs)"
  expected+=" CapInh: 0000000000000000 CapPrm: 0000000000000000 CapEff: 0000000000000000"
  expected+=" CapBnd: $(awk '/^CapBnd/ {print $2}' /proc/self/status) CapAmb: 0000000000000000"
  expected+=" NoNewPrivs: 1 Seccomp: 2"
fi
[ "$status" = "$expected" ] || fail "the helper holds more than it needs: $status"
wait "$pid" || fail "the helper did not end cleanly when its input closed"
echo "5 passed, 0 failed"
