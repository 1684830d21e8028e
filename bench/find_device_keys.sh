#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Whole process on a private Xvfb: how long a key typed into Find device takes to show, from the
# key press to the settled screen (the last drawing after which nothing is drawn for 200 ms
# while the program computes nothing), at 65,536 listed functions, beside the same keys in the
# same dialog on the built-in machine in the same run. Each round types "8", which narrows the
# list, and then BackSpace, which gives every line back. The window runs as the user on the
# simulated machine; each figure includes one xdotool start (a few ms). The first search builds
# the finder's lines and is shown apart from the medians of the rest.
#   bench/find_device_keys.sh BUILD [ROUNDS]
set -euo pipefail
build=$(cd "$1" && pwd)
rounds=${2:-10}
as_user=$(cd "$(dirname "$0")/../scripts" && pwd)/as_user
. "$(dirname "$0")/xvfb_session.sh" find_device_keys
"$build/bin/quoril-bus-make-dump" 65536 256 "$work/65536.dump"

# Starts the program on DUMP (empty: the built-in machine), opens Find device and times ROUNDS
# rounds of the two keys; prints "FIRST TYPED_MEDIAN ERASED_MEDIAN".
measure() {
  local dump=$1 program window
  : >"$work/trace"
  QUORILBUS_SIM_DUMP=$dump QUORILBUS_SIM_TRACE="$work/trace" LD_LIBRARY_PATH="$build/sim" \
    "$as_user" "$build/bin/quoril-bus" >/dev/null 2>&1 &
  program=$!
  session_pids+=("$program")
  window=$(timeout 20 xdotool search --sync --name "Quoril Bus" | head -n 1)
  sleep 2  # the scan and the names
  eval "$(xdotool getwindowgeometry --shell "$window")"
  xdotool mousemove $((X + 5)) $((Y + 5)) click 1
  sleep 0.2
  xdotool key ctrl+f
  timeout 20 xdotool search --sync --onlyvisible --name "^Find device$" >/dev/null
  sleep 0.5
  : >"$work/typed" && : >"$work/erased"
  for _ in $(seq "$rounds"); do
    "$build/bin/quoril-bus-map-timer" --drawn --pid "$program" xdotool key 8 >>"$work/typed"
    "$build/bin/quoril-bus-map-timer" --drawn --pid "$program" xdotool key BackSpace >>"$work/erased"
  done
  kill "$program" 2>/dev/null || true
  wait "$program" 2>/dev/null || true
  echo "$(head -n 1 "$work/typed") $(tail -n +2 "$work/typed" | median) $(median <"$work/erased")"
}
read -r small_first small_typed small_erased < <(measure "")
read -r big_first big_typed big_erased < <(measure "$work/65536.dump")
echo
echo "A key in Find device, key to settled screen (whole process, Xvfb; median of $rounds rounds):"
printf '  65,536 functions: "8" %.0f ms wall (first %.0f ms), BackSpace %.0f ms; built-in machine: "8" %.0f ms (first %.0f ms), BackSpace %.0f ms: %sx and %sx\n' \
  "$big_typed" "$big_first" "$big_erased" "$small_typed" "$small_first" "$small_erased" \
  "$(ratio "$big_typed" "$small_typed")" "$(ratio "$big_erased" "$small_erased")"
printf '  target: a key <= 30 ms at 65,536 lines: "8" %.0f ms, BackSpace %.0f ms\n' "$big_typed" "$big_erased"
