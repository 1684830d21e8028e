#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The real binary on a private X server, attacked from the same display.
#  - Started as root with a hostile caller's environment (as sudo -E, su -m or a root shell pass
#    it on), none of it takes effect: the window opens on X, not on a VNC port; no D-Bus session
#    is launched through the display; the caller's Qt logging rules and font configuration are
#    not read; an inherited descriptor is closed.
#  - A user's window with no bus address launches no D-Bus session either.
#  - In every mode, input another client sends (SendEvent) does nothing: a sent click on READ
#    reads nothing, while the same click from the real pointer (XTEST) reads.
#   root_window_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source=$1 build=$2
work=$(mktemp -d)
exec {xfd}<> <(:)
# No reset when the last client leaves: a resetting server refuses the next one for a moment.
Xvfb -displayfd "$xfd" -screen 0 1280x1024x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
xvfb=$!
trap 'kill "${program:-}" "${root_window:-}" "$xvfb" 2>/dev/null || true; rm -rf "$work"' EXIT
read -r -t 10 -u "$xfd" display || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$display"
unset DBUS_SESSION_BUS_ADDRESS
fail() { echo "FAIL: $*" >&2; exit 1; }
# The process named $2 that $1 started, directly or not (other tests may run the program too).
descendant() {
  local pid parent
  for pid in $(pgrep -x "$2"); do
    parent=$pid
    while [ "$parent" -gt 1 ]; do
      [ "$parent" = "$1" ] && { echo "$pid"; return; }
      parent=$(awk '/^PPid/ {print $2}' "/proc/$parent/status" 2>/dev/null || echo 1)
    done
  done
}
passed=0

if [ "$(id -u)" -eq 0 ]; then
  mkdir -p "$work/fakes" "$work/config/QtProject"
  printf '#!/bin/sh\ntouch %s/dbus-launched\nexit 1\n' "$work" >"$work/fakes/dbus-launch"
  chmod +x "$work/fakes/dbus-launch"
  printf '[Rules]\n*.debug=true\n' >"$work/config/QtProject/qtlogging.ini"
  echo 'not a font configuration' >"$work/fonts.conf"
  "$source/tests/support/with_fake_usr_bin.sh" "$work/fakes" timeout 60 \
    env QT_QPA_PLATFORM=vnc XDG_CONFIG_HOME="$work/config" FONTCONFIG_FILE="$work/fonts.conf" \
    LD_LIBRARY_PATH="$build/sim" "$build/bin/quoril-bus" >"$work/root.log" 2>&1 \
    7>"$work/inherited" &
  program=$!
  timeout 20 xdotool search --sync --name "Quoril Bus" >/dev/null || fail "no window on X"
  sleep 1
  [ ! -e "$work/dbus-launched" ] || fail "a D-Bus session was launched through the display"
  if grep -E '^qt\.|Fontconfig' "$work/root.log"; then fail "the caller's configuration was read"; fi
  if grep -q ':170C 00000000:0000 0A' /proc/net/tcp /proc/net/tcp6; then fail "a VNC port listens"; fi
  root_window=$(descendant "$program" quoril-bus)
  [ -n "$root_window" ] || fail "no window process under the launch"
  for fd in /proc/"$root_window"/fd/*; do
    [ "$(readlink "$fd")" != "$work/inherited" ] || fail "descriptor $fd was inherited"
  done
  kill "$root_window"
  wait "$program" 2>/dev/null || true
  passed=$((passed + 1))
fi

# A root shell's relative LD_LIBRARY_PATH: the window changes to root's home before it loads the
# library, and must still take the simulated one the caller named, and say so in its title; a
# folder that is not there refuses the start instead of falling back to the real library.
if [ "$(id -u)" -eq 0 ]; then
  mapped() { grep -o '/[^ ]*/lib[A-Za-z0-9]*\.so$' "/proc/$1/maps" 2>/dev/null | grep WinRing0 | sort -u; }
  (cd "$(dirname "$build")" &&
    exec env LD_LIBRARY_PATH="$(basename "$build")/sim" timeout 60 "$build/bin/quoril-bus") \
    >"$work/relative.log" 2>&1 &
  program=$!
  timeout 20 xdotool search --sync --name "Quoril Bus.*  \[simulated machine\]$" >/dev/null ||
    fail "the relative folder's window does not say it is simulated"
  root_window=$(descendant "$program" quoril-bus)
  [ "$(mapped "$root_window")" = "$build/sim/$(basename "$(ls "$build"/sim/lib*.so)")" ] ||
    fail "the relative folder loaded $(mapped "$root_window")"
  kill "$root_window"
  wait "$program" 2>/dev/null || true
  (cd "$work" && exec env LD_LIBRARY_PATH=no-such/sim timeout 60 "$build/bin/quoril-bus") \
    >"$work/missing.log" 2>&1 &
  program=$!
  timeout 20 xdotool search --sync --name "^Fehler !$" >/dev/null || fail "no refusal message"
  root_window=$(descendant "$program" quoril-bus)
  [ -z "$(mapped "$root_window")" ] || fail "a missing folder loaded $(mapped "$root_window")"
  grep -qx "quoril-bus: LD_LIBRARY_PATH names $work/no-such/sim, which is not a folder: not loading any other access library" \
    "$work/missing.log" || fail "the refusal does not say why: $(cat "$work/missing.log")"
  kill "$root_window"
  wait "$program" 2>/dev/null || true
  passed=$((passed + 1))
fi

# A user's window in a session that names no bus launches none through the display, where any
# other client of the display could take it over and drive the window over AT-SPI.
if [ "$(id -u)" -eq 0 ]; then
  marks=$(mktemp -d)
  chmod 1777 "$marks"
  mkdir -p "$work/user-fakes"
  printf '#!/bin/sh\ntouch %s/dbus-launched\nexit 1\n' "$marks" >"$work/user-fakes/dbus-launch"
  chmod +x "$work/user-fakes/dbus-launch"
  "$source/tests/support/with_fake_usr_bin.sh" "$work/user-fakes" timeout 60 \
    "$source/scripts/as_user" env LD_LIBRARY_PATH="$build/sim" "$build/bin/quoril-bus" \
    >"$work/user-bus.log" 2>&1 &
  program=$!
  timeout 20 xdotool search --sync --name "Quoril Bus" >/dev/null || fail "no user window on X"
  sleep 1
  launched=$([ -e "$marks/dbus-launched" ] && echo yes || echo no)
  user_window=$(descendant "$program" quoril-bus)
  [ -n "$user_window" ] && kill "$user_window"
  wait "$program" 2>/dev/null || true
  rm -rf "$marks"
  [ "$launched" = no ] || fail "a user's window launched a D-Bus session through the display"
  passed=$((passed + 1))
fi

# Synthetic input, with the window as the user and the simulated machine's trace.
trace=$work/trace
LD_LIBRARY_PATH="$build/sim" QUORILBUS_SIM_TRACE="$trace" \
  "$source/scripts/as_user" "$build/bin/quoril-bus" >"$work/user.log" 2>&1 &
program=$!
window=$(timeout 20 xdotool search --sync --name "Quoril Bus" | head -n 1) || fail "no window"
lines() { { wc -l <"$trace"; } 2>/dev/null || echo 0; }
for _ in $(seq 200); do [ "$(lines)" -ge 131073 ] && break; sleep 0.1; done
[ "$(lines)" -eq 131073 ] || fail "the scan did not end: $(lines) trace lines"
eval "$(xdotool getwindowgeometry --shell "$window")"
sleep 1  # the form is built after the scan
xdotool mousemove --window "$window" 500 102 click --window "$window" 1  # READ, sent
sleep 1
[ "$(lines)" -eq 131073 ] || fail "a sent click read: $(tail -n 1 "$trace")"
xdotool mousemove $((X + 500)) $((Y + 102)) click 1  # READ, from the pointer
for _ in $(seq 50); do [ "$(lines)" -gt 131073 ] && break; sleep 0.1; done
[ "$(sed -n 131074p "$trace")" = "ReadPciConfigDwordEx 0x0 0x0 -> 0x1 0x3E308086" ] ||
  fail "the pointer's click did not read: $(sed -n 131074p "$trace")"
passed=$((passed + 1))
echo "$passed passed, 0 failed"
