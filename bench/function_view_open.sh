#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Whole process on a private Xvfb: how long the function view of 00:00.0 takes to appear, from
# Ctrl+D to the settled screen (the last drawing after which nothing is drawn for 200 ms while
# the program computes nothing: the bytes and the decoded tree drawn; seen by a client blocked
# on the server, so the measuring takes no processor). Two copies of the program run side by
# side and take turns: one through the elevated library and its root helper (started by a fake
# /usr/bin/pkexec in a private mount namespace, so no password dialog stands in the way), one on
# the real library in its own process, the baseline. Each view reads the function's whole space
# in one call (to the helper, or in-process). On an idle machine, then beside two busy processes
# per processor in a session of their own. The first opening of each copy loads the PCI ID
# database for its title and is left out of the medians. Reads only. Needs root (for the
# namespace, and to read past the first 64 bytes); each figure includes one xdotool start.
#   bench/function_view_open.sh SOURCE_DIR BUILD [ROUNDS]
set -euo pipefail
source=$(cd "$1" && pwd)
build=$(cd "$2" && pwd)
rounds=${3:-9}
if [ "$(id -u)" -ne 0 ] || [ ! -e /sys/bus/pci/devices/0000:00:00.0/config ]; then
  echo "Function view through the elevated library: skipped (needs root and a function 00:00.0)"
  exit 0
fi
. "$source/bench/xvfb_session.sh" function_view_open

mkdir "$work/fakes"
printf '#!/bin/sh\nexec /usr/bin/env -i "$@"\n' >"$work/fakes/pkexec"
chmod +x "$work/fakes/pkexec"

# Starts a copy of the program (COMMAND...), waits for its window, moves it to 0 Y and sets
# window_pid to the program's process (which may be a grandchild of COMMAND).
start_copy() {
  local y=$1 known
  shift
  known=$(xdotool search --onlyvisible --name "Quoril Bus" 2>/dev/null | xargs) || true
  "$@" >"$work/log.$y" 2>&1 &
  session_pids+=($!)
  for _ in $(seq 200); do
    for window in $(xdotool search --onlyvisible --name "Quoril Bus" 2>/dev/null); do
      [[ " $known " == *" $window "* ]] && continue
      window_pid=$(xdotool getwindowpid "$window" 2>/dev/null) || continue
      session_pids+=("$window_pid")
      xdotool windowmove "$window" 0 "$y"
      return 0
    done
    sleep 0.1
  done
  echo "function_view_open: a copy of the program did not open its window" >&2
  exit 1
}
start_copy 0 "$source/tests/support/with_fake_usr_bin.sh" "$work/fakes" \
  env LD_LIBRARY_PATH="$build/elevated" "$build/bin/quoril-bus"
elevated=$window_pid
start_copy 540 "$build/bin/quoril-bus"
in_process=$window_pid
sleep 3  # the scans

# Opens and closes the view of the copy at 0 Y (process PID); appends the milliseconds to FILE.
open_once() {
  local y=$1 pid=$2 file=$3
  # Without a window manager a closed view leaves the focus nowhere: a click gives it back.
  xdotool mousemove 5 $((y + 5)) click 1
  sleep 0.2
  "$build/bin/quoril-bus-map-timer" --pid "$pid" xdotool key ctrl+d >>"$file"
  xdotool search --onlyvisible --name "^00:00.0 " >/dev/null || { echo "no function view" >&2; exit 1; }
  xdotool key Escape
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name "^00:00.0 " >/dev/null 2>&1 || return 0
    sleep 0.05
  done
  echo "function_view_open: the view did not close" >&2
  exit 1
}
# Rounds in turns; prints "HELPER_MEDIAN IN_PROCESS_MEDIAN" of all rounds but the first.
measure() {
  : >"$work/elevated" && : >"$work/in_process"
  for _ in $(seq "$rounds"); do
    open_once 0 "$elevated" "$work/elevated"
    open_once 540 "$in_process" "$work/in_process"
  done
  echo "$(tail -n +2 "$work/elevated" | median) $(tail -n +2 "$work/in_process" | median)"
}
firsts() { echo "$(head -n 1 "$work/elevated") $(head -n 1 "$work/in_process")"; }
read -r idle_helper idle_here < <(measure)
read -r first_helper first_here < <(firsts)
start_busy_load
read -r busy_helper busy_here < <(measure)
stop_busy_load
size=$(stat -c %s /sys/bus/pci/devices/0000:00:00.0/config)
echo
echo "Function view of 00:00.0 ($size bytes), Ctrl+D to the settled view and tree (whole process, Xvfb;"
echo "median of $((rounds - 1)) rounds after the first, the two copies taking turns):"
printf '  idle: elevated library %.0f ms wall, in-process real library %.0f ms: %sx (first openings %.0f and %.0f ms)\n' \
  "$idle_helper" "$idle_here" "$(ratio "$idle_helper" "$idle_here")" "$first_helper" "$first_here"
printf '  two busy processes per processor: elevated library %.0f ms wall, in-process real library %.0f ms: %sx\n' \
  "$busy_helper" "$busy_here" "$(ratio "$busy_helper" "$busy_here")"
