#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A monkey at the real program: random clicks (some aimed at the buttons, options, selector
# arrows and bit boxes), context menus taken at random, and random keys (the window's shortcuts
# among them: Go to, Find, Set value, the function view, undo), against the simulated machine,
# from a scratch folder (where a save dialog may write), on a private X server,
# for SECONDS; the program is started again whenever it ends. It fails on a crash or a
# sanitizer report, on a hang (no answer to a ping within 5 s), and when the trace shows a write
# that no click on WRITE asked for, or one that goes anywhere but the register just read.
#   monkey.sh BUILD_DIR SECONDS [SEED]
set -euo pipefail
build=$(cd "$1" && pwd)
# The window runs as the user, as the launcher starts it (its writes go to the simulated machine).
as_user=$(cd "$(dirname "$0")/../../scripts" && pwd)/as_user
seconds=$2
RANDOM=${3:-$$}
work=$(mktemp -d)
fail() { echo "FAIL: $*" >&2; [ -n "${log:-}" ] && tail -n 20 "$log" >&2; exit 1; }

exec {fd}<> <(:)
# No reset when the last client leaves: a resetting server refuses the next one for a moment.
Xvfb -displayfd "$fd" -screen 0 1280x1024x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
xvfb=$!
program=
trap 'kill $program $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
read -r -t 10 -u "$fd" display || fail "Xvfb did not start"
export DISPLAY=":$display" LD_LIBRARY_PATH="$build/sim"
unset QUORILBUS_SIM_DUMP QUORILBUS_SIM_INIT QUORILBUS_SIM_UNPRIVILEGED

# Places worth aiming at, as x y width height in the client area.
targets=("400 80 200 45" "400 170 200 25" "200 400 200 25" "780 65 210 15" "20 140 960 20"
         "938 30 12 25" "688 30 12 25" "438 30 12 25" "188 30 12 25" "10 230 590 160")
keys=(Up Down Up Up Tab ISO_Left_Tab Page_Up Page_Down Home End Return a 1 Escape
      ctrl+g ctrl+f ctrl+e ctrl+d ctrl+z space)

# Checks one run's trace: every configuration write goes to a register read since the write
# before it (the register READ read, or the one read back after a write, which undo writes
# again; the reads that find register names come with them) and comes after an action that may
# write (a click on WRITE, or Return, space, Ctrl+Z or a context-menu entry) that no earlier
# write used.
check_trace() {  # TRACE CLICKS
  awk -v clicks="$2" '
    BEGIN { while ((getline line < clicks) > 0) write_clicks[++n] = line; used = 0 }
    /^ReadPciConfig/ { split($0, f, " "); read[substr(f[1], 5) " " f[2] " " f[3]] = 1 }
    /^WritePciConfig/ {
      split($0, f, " ")
      if (!((substr(f[1], 6) " " f[2] " " f[3]) in read)) { print "line " NR ": " $0 " reads no register read"; exit 1 }
      delete read
      if (used >= n || write_clicks[used + 1] >= NR) { print "line " NR ": no WRITE click for " $0; exit 1 }
      used++
    }' "$1"
}

mkdir -m 1777 "$work/scratch"
chmod 755 "$work"
runs=0
actions=0
end=$((SECONDS + seconds))
while [ "$SECONDS" -lt "$end" ]; do
  runs=$((runs + 1))
  trace="$work/trace-$runs" clicks="$work/clicks-$runs" log="$work/program-$runs.log"
  : >"$clicks"
  (cd "$work/scratch" && QUORILBUS_SIM_TRACE="$trace" HOME="$work/scratch" \
    "$as_user" "$build/bin/quoril-bus") >"$log" 2>&1 &
  program=$!
  window=$(timeout 20 xdotool search --sync --onlyvisible --name "Quoril Bus" | head -n 1) ||
    fail "run $runs: no window"
  while kill -0 "$program" 2>/dev/null && [ "$SECONDS" -lt "$end" ]; do
    for _ in 1 2 3 4 5 6 7 8; do
      # Keys go through XTEST to the focused window (sent keys are ignored by design).
      if [ $((RANDOM % 4)) -eq 0 ]; then
        key=${keys[RANDOM % ${#keys[@]}]}
        case $key in Return | space | ctrl+z) wc -l <"$trace" >>"$clicks" ;; esac
        xdotool key "$key" 2>/dev/null || true
      elif [ $((RANDOM % 8)) -eq 0 ]; then
        # A context menu, and one of its entries (or none: Escape).
        x=$((RANDOM % 1000)) y=$((RANDOM % 430))
        xdotool mousemove --window "$window" "$x" "$y" click 3 2>/dev/null || true
        for _ in $(seq $((RANDOM % 4))); do xdotool key Down 2>/dev/null || true; done
        key=$([ $((RANDOM % 3)) -eq 0 ] && echo Escape || echo Return)
        [ "$key" = Return ] && wc -l <"$trace" >>"$clicks"
        xdotool key "$key" 2>/dev/null || true
      else
        if [ $((RANDOM % 2)) -eq 0 ]; then
          read -r tx ty tw th <<<"${targets[RANDOM % ${#targets[@]}]}"
          x=$((tx + RANDOM % tw)) y=$((ty + RANDOM % th))
        else
          x=$((RANDOM % 1000)) y=$((RANDOM % 430))
        fi
        # A click in WRITE's box is recorded with the trace's length at that moment.
        if [ "$x" -ge 400 ] && [ "$x" -lt 600 ] && [ "$y" -ge 170 ] && [ "$y" -lt 195 ]; then
          wc -l <"$trace" >>"$clicks"
        fi
        xdotool mousemove --window "$window" "$x" "$y" click 1 2>/dev/null || true
      fi
      actions=$((actions + 1))
    done
    if kill -0 "$program" 2>/dev/null; then
      answer=0
      "$build/bin/x_ping" "$window" 5000 || answer=$?
      [ "$answer" -eq 2 ] && fail "run $runs: the ping could not be sent"
      if [ "$answer" -ne 0 ] && kill -0 "$program" 2>/dev/null; then
        fail "run $runs: no answer to a ping within 5 s"
      fi
    fi
  done
  if kill -0 "$program" 2>/dev/null; then
    kill "$program"
    wait "$program" || true
  else
    status=0
    wait "$program" || status=$?
    [ "$status" -eq 0 ] || fail "run $runs: exit status $status"
  fi
  if grep -qE 'Sanitizer|runtime error:' "$log"; then fail "run $runs: sanitizer report"; fi
  problem=$(check_trace "$trace" "$clicks") || fail "run $runs: $problem"
done
writes=$(cat "$work"/trace-* | grep -c '^WritePciConfig' || true)
echo "monkey: $runs runs, $actions actions, $writes writes checked"
echo "1 passed, 0 failed"
