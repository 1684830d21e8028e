#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Whole process on a private Xvfb: how long Go to register takes to appear for a 4 KiB function
# whose capability lists are as long as they can be (47 standard, 960 extended), from the key
# press to the settled screen (the last drawing after which nothing is drawn for 200 ms while
# the program computes nothing, seen by a client blocked on the server, so the measuring takes no
# processor), beside a bare Qt dialog of one button opened by the same key in a bare window on
# the same server, the two taking turns. The window runs as the user on the simulated machine;
# each figure includes one xdotool start (a few ms). The first opening of each reads the layout
# and is shown apart from the median of the rest.
#   bench/dialog_open.sh BUILD [ROUNDS]
set -euo pipefail
build=$(cd "$1" && pwd)
rounds=${2:-10}
as_user=$(cd "$(dirname "$0")/../scripts" && pwd)/as_user
. "$(dirname "$0")/xvfb_session.sh" dialog_open

/usr/bin/python3 - "$work/long.dump" <<'PY'
import sys
c = [0] * 4096
c[0:4] = [0xEC, 0x10, 0x68, 0x81]; c[6] = 0x10; c[0x34] = 0x40
for at in range(0x40, 0x100, 4):  # vendor-specific capabilities, each 4 bytes
    c[at], c[at + 1], c[at + 2] = 0x09, (at + 4) & 0xFF if at < 0xFC else 0, 4
for at in range(0x100, 0x1000, 4):  # extended capabilities, each pointing at the next dword
    nxt = at + 4 if at < 0xFFC else 0
    header = 0x0018 | 1 << 16 | nxt << 20
    c[at:at + 4] = [header & 0xFF, header >> 8 & 0xFF, header >> 16 & 0xFF, header >> 24]
lines = ["01:00.0 Ethernet controller: long capability lists"]
for off in range(0, 4096, 16):
    lines.append("%03x: " % off + " ".join("%02x" % b for b in c[off:off + 16]))
open(sys.argv[1], "w").write("\n".join(lines) + "\n")
PY

: >"$work/trace"
QUORILBUS_SIM_DUMP="$work/long.dump" QUORILBUS_SIM_TRACE="$work/trace" LD_LIBRARY_PATH="$build/sim" \
  "$as_user" "$build/bin/quoril-bus" >/dev/null 2>&1 &
program=$!
session_pids+=("$program")
window=$(timeout 20 xdotool search --sync --name "Quoril Bus" | head -n 1)
for _ in $(seq 200); do [ "$(wc -l <"$work/trace")" -ge 131073 ] && break; sleep 0.1; done
"$as_user" "$build/bin/quoril-bus-bare-window" --dialog >/dev/null 2>&1 &
bare=$!
session_pids+=("$bare")
bare_window=$(timeout 20 xdotool search --sync --name "^Bare window$" | head -n 1)
xdotool windowmove "$bare_window" 0 0  # clear of the program's window, which is centred
sleep 1
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove $((X + 191)) $((Y + 36)) click 1  # bus 1
sleep 0.3

# Opens the dialog of the window at X Y (of process PID) by Ctrl+G, and closes it again; appends
# the milliseconds to FILE.
open_once() {
  local x=$1 y=$2 pid=$3 title=$4 file=$5
  # Without a window manager a closed dialog leaves the focus nowhere: a click gives it back.
  xdotool mousemove $((x + 5)) $((y + 5)) click 1
  sleep 0.2
  "$build/bin/quoril-bus-map-timer" --pid "$pid" xdotool key ctrl+g >>"$file"
  xdotool search --onlyvisible --name "$title" >/dev/null || { echo "no $title" >&2; exit 1; }
  xdotool key Escape
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name "$title" >/dev/null 2>&1 || return 0
    sleep 0.05
  done
  echo "$title did not close" >&2
  exit 1
}
: >"$work/program" && : >"$work/bare"
for _ in $(seq "$rounds"); do
  open_once "$X" "$Y" "$program" "Go to register" "$work/program"
  open_once 0 0 "$bare" "Bare dialog" "$work/bare"
done
first=$(head -n 1 "$work/program")
bare_first=$(head -n 1 "$work/bare")
rest=$(tail -n +2 "$work/program" | median)
bare_rest=$(tail -n +2 "$work/bare" | median)
echo
echo "Go to register on a 4 KiB function with 47 + 960 capabilities, key to settled screen (whole process, Xvfb):"
printf '  first %.0f ms, then %.0f ms wall (median of %d), bare Qt dialog %.0f ms (first %.0f ms): %sx\n' \
  "$first" "$rest" $((rounds - 1)) "$bare_rest" "$bare_first" "$(ratio "$rest" "$bare_rest")"
