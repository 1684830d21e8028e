#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Start-up as the user waits for it: the real program against the simulated machine on a private
# X server, from exec to the first time it draws its form (the X server's DAMAGE report, see
# paint_timer.cpp), next to two bare Qt windows timed in the same run: one that is a single
# button, and one of the program's client size (1000 x 430) holding that button, which shows
# what the size of the window alone costs. Machines of growing size; prints medians of RUNS runs
# (default 7), the ratios and the resident memory.
#   whole_process.sh BUILD_DIR [RUNS]
set -euo pipefail
build=$(cd "$1" && pwd)
runs=${2:-7}
bin=$build/bin
# Every window runs as the user, as the launcher starts the program.
as_user=$(cd "$(dirname "$0")/../scripts" && pwd)/as_user
work=$(mktemp -d)
exec {fd}<> <(:)
Xvfb -displayfd "$fd" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
read -r -t 10 -u "$fd" display || { echo "whole_process: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$display" LD_LIBRARY_PATH="$build/sim" XDG_RUNTIME_DIR="$work"
unset QUORILBUS_SIM_TRACE QUORILBUS_SIM_INIT QUORILBUS_SIM_UNPRIVILEGED

"$bin/quoril-bus-make-dump" 4096 256 "$work/4096.dump"
"$bin/quoril-bus-make-dump" 65536 256 "$work/65536.dump"
"$bin/quoril-bus-make-dump" 65536 4096 "$work/65536x4k.dump"

# One timing, "MILLISECONDS RESIDENT_KIB"; Qt's messages go nowhere near the table.
time_once() {
  local result
  for _ in 1 2 3; do
    result=$("$as_user" "$bin/quoril-bus-paint-timer" "$@" 2>/dev/null) && [ -n "$result" ] && break
  done
  echo "$result"
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

printf '%-30s %10s %8s %6s %11s %6s %12s\n' "machine (whole process, Xvfb)" "program ms" \
  "bare ms" ratio "sized ms" ratio "resident MB"
declare -A program_ms
for machine in default 4096 65536 65536x4k; do
  dump=""
  [ "$machine" = default ] || dump="$work/$machine.dump"
  : >"$work/bare" && : >"$work/sized" && : >"$work/program"
  for _ in $(seq "$runs"); do
    time_once "$bin/quoril-bus-bare-window" >>"$work/bare"
    time_once "$bin/quoril-bus-bare-window" 1000 430 >>"$work/sized"
    if [ -n "$dump" ]; then
      QUORILBUS_SIM_DUMP=$dump time_once "$bin/quoril-bus" >>"$work/program"
    else
      time_once env -u QUORILBUS_SIM_DUMP "$bin/quoril-bus" >>"$work/program"
    fi
  done
  bare=$(cut -d' ' -f1 "$work/bare" | median)
  sized=$(cut -d' ' -f1 "$work/sized" | median)
  program=$(cut -d' ' -f1 "$work/program" | median)
  resident=$(cut -d' ' -f2 "$work/program" | median)
  program_ms[$machine]=$program
  label=$machine
  case $machine in
    default) label="built-in desktop machine" ;;
    4096) label="4,096 answering functions" ;;
    65536) label="65,536 answering functions" ;;
    65536x4k) label="65,536 functions x 4 KiB" ;;
  esac
  printf '%-30s %10.1f %8.1f %6.2f %11.1f %6.2f %12.0f\n' "$label" "$program" "$bare" \
    "$(awk -v p="$program" -v b="$bare" 'BEGIN { print p / b }')" "$sized" \
    "$(awk -v p="$program" -v b="$sized" 'BEGIN { print p / b }')" \
    "$(awk -v r="$resident" 'BEGIN { print r / 1024 }')"
  if [ "$machine" = 65536x4k ]; then big_resident=$resident; fi
  if [ "$machine" = default ]; then
    default_ratio=$(awk -v p="$program" -v b="$bare" 'BEGIN { print p / b }')
    sized_ratio=$(awk -v p="$program" -v b="$sized" 'BEGIN { print p / b }')
  fi
done
awk -v r="$default_ratio" -v s="$sized_ratio" -v d="${program_ms[default]}" -v f="${program_ms[65536]}" \
    -v big="${program_ms[65536x4k]}" -v mem="$big_resident" 'BEGIN {
  printf "targets: default <= 1.2 x bare: %.2f (x sized bare: %.2f); ", r, s
  printf "65,536 functions <= default + 300 ms: +%.0f ms; ", f - d
  printf "65,536 x 4 KiB < 3000 ms and <= 600 MB: %.0f ms, %.0f MB\n", big, mem / 1024 }'
