# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash
# Sourced by the whole-process benchmarks: a private X server (Xvfb on a free display, no TCP)
# for the sourcing script alone, a load of two busy processes per processor on demand, and, when
# the script exits however it exits, the end of everything it started through here.
#   . bench/xvfb_session.sh NAME        (then $DISPLAY and $work are set)
session_name=$1
work=$(mktemp -d)
session_pids=()  # what ends with the script: programs under test, the X server
busy_group=""    # the process group of the busy load, while it runs
end_session() {
  trap '' HUP INT PIPE TERM  # a closed output or a second signal must not cut the cleanup short
  [ -z "$busy_group" ] || kill -KILL -- "-$busy_group" 2>/dev/null || true
  for pid in "${session_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap end_session EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap '' PIPE  # a closed output fails the write, and set -e ends the script through its EXIT trap
trap 'exit 143' TERM

exec {xvfb_fd}<> <(:)
# No reset when the last client leaves: a resetting server refuses the next one for a moment.
Xvfb -displayfd "$xvfb_fd" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
session_pids+=($!)
read -r -t 10 -u "$xvfb_fd" display || { echo "$session_name: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$display"

# Two processes per processor that only compute, in a session of their own as another program's
# work would be: the scheduler shares the processors between sessions first, and the root
# helper has its own session, so a load in this script's session would weigh on its programs
# alone.
start_busy_load() {
  setsid sh -c 'for _ in $(seq "$1"); do (while :; do :; done) & done; wait' sh \
    $((2 * $(nproc))) &
  busy_group=$!
}
stop_busy_load() {
  kill -KILL -- "-$busy_group" 2>/dev/null || true
  wait "$busy_group" 2>/dev/null || true
  busy_group=""
}

# The median of the numbers on standard input, one a line.
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
# FIGURE / BASELINE with two decimals.
ratio() { awk -v f="$1" -v b="$2" 'BEGIN { printf "%.2f", f / b }'; }
