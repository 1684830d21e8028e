#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Start-up as the user waits for it, whole process on a private X server: the real program on the
# simulated machine, from exec to its settled form (the last drawing into its windows after which
# nothing is drawn for 200 ms while it computes nothing; see paint_timer.cpp), beside two bare Qt
# windows timed the same way in the same rounds: one that is a single button, and one of the
# program's client size (1000 x 430) holding that button, which shows what the size of the
# window alone costs. The three take turns, each round starting with the next of them. Machines
# of growing size, and, as root, this machine through the elevated library and its root helper
# (a stand-in for /usr/bin/pkexec in a private mount namespace starts it as root, the window
# runs as uid 65534); prints the medians of ROUNDS rounds (default 30), the ratios of wall time
# and of CPU (that of every process a start makes, the helper included) and the peak resident
# memory.
#   whole_process.sh BUILD_DIR [ROUNDS]
set -euo pipefail
source=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
rounds=${2:-30}
bin=$build/bin
# Every window runs as the user, as the launcher starts the program.
as_user=$(cd "$(dirname "$0")/../scripts" && pwd)/as_user
. "$(dirname "$0")/xvfb_session.sh" whole_process
export LD_LIBRARY_PATH="$build/sim" XDG_RUNTIME_DIR="$work"
unset QUORILBUS_SIM_TRACE QUORILBUS_SIM_INIT QUORILBUS_SIM_UNPRIVILEGED

"$bin/quoril-bus-make-dump" 4096 256 "$work/4096.dump"
"$bin/quoril-bus-make-dump" 65536 256 "$work/65536.dump"
"$bin/quoril-bus-make-dump" 65536 4096 "$work/65536x4k.dump"

machines=(default 4096 65536 65536x4k)
if [ "$(id -u)" -eq 0 ] && [ -n "$(ls /sys/bus/pci/devices 2>/dev/null)" ]; then
  machines+=(helper)
  mkdir "$work/fakes"
  install -m 4755 "$(command -v setpriv)" "$work/fakes/become-root"
  printf '#!/bin/sh\nexec /usr/bin/become-root --reuid=0 --regid=0 --clear-groups /usr/bin/env -i "$@"\n' \
    >"$work/fakes/pkexec"
  chmod 755 "$work/fakes/pkexec"
  mkdir -m 700 "$work/runtime" && chown 65534:65534 "$work/runtime"
fi

# One timing, "MILLISECONDS CPU_MS RESIDENT_KIB", appended to FILE; a start that fails is tried
# again, twice. Qt's messages go nowhere near the table. The timer of the helper's start runs in
# the namespace of the stand-in, and the window as uid 65534.
time_once() {
  local file=$1 result timer=("$as_user" "$bin/quoril-bus-paint-timer")
  shift
  if [ "$1" = helper ]; then
    timer=("$source/tests/support/with_fake_usr_bin.sh" "$work/fakes" "$bin/quoril-bus-paint-timer"
      setpriv --reuid=65534 --regid=65534 --clear-groups
      env XDG_RUNTIME_DIR="$work/runtime" LD_LIBRARY_PATH="$build/elevated")
    shift
  fi
  for _ in 1 2 3; do
    if result=$("${timer[@]}" "$@" 2>/dev/null) && [ -n "$result" ]; then
      echo "$result" >>"$file"
      return
    fi
  done
  echo "whole_process: $* did not reach a settled window" >&2
  exit 1
}
# The median of column N of FILE.
column_median() { cut -d' ' -f"$2" "$1" | median; }

echo
echo "Start to the settled form, whole process on a private Xvfb (median of $rounds rounds; the program"
echo "and the two bare windows take turns; CPU from wait4, with every process the start made):"
declare -A program_ms program_cpu cpu_ratio
for machine in "${machines[@]}"; do
  dump=""
  [ "$machine" = default ] || [ "$machine" = helper ] || dump="$work/$machine.dump"
  : >"$work/bare" && : >"$work/sized" && : >"$work/program"
  for round in $(seq "$rounds"); do
    for turn in 0 1 2; do
      case $(((round + turn) % 3)) in
        0) time_once "$work/bare" "$bin/quoril-bus-bare-window" ;;
        1) time_once "$work/sized" "$bin/quoril-bus-bare-window" 1000 430 ;;
        2) if [ "$machine" = helper ]; then
             time_once "$work/program" helper "$bin/quoril-bus"
           elif [ -n "$dump" ]; then
             QUORILBUS_SIM_DUMP=$dump time_once "$work/program" "$bin/quoril-bus"
           else
             time_once "$work/program" env -u QUORILBUS_SIM_DUMP "$bin/quoril-bus"
           fi ;;
      esac
    done
  done
  bare=$(column_median "$work/bare" 1)
  sized=$(column_median "$work/sized" 1)
  program=$(column_median "$work/program" 1)
  cpu=$(column_median "$work/program" 2)
  bare_cpu=$(column_median "$work/bare" 2)
  resident=$(column_median "$work/program" 3)
  program_ms[$machine]=$program
  cpu_ratio[$machine]=$(ratio "$cpu" "$bare_cpu")
  program_cpu[$machine]=$cpu
  case $machine in
    default) label="built-in desktop machine" ;;
    4096) label="4,096 answering functions" ;;
    65536) label="65,536 answering functions" ;;
    65536x4k) label="65,536 functions x 4 KiB" ;;
    helper) label="this machine through the elevated library and its helper" ;;
  esac
  printf '  %s: %.0f ms wall (CPU %.0f ms, %.0f MB resident), bare window %.0f ms: %sx, bare window of its size %.0f ms: %sx; CPU against the bare window'"'"'s %.0f ms: %sx\n' \
    "$label" "$program" "$cpu" "$(awk -v r="$resident" 'BEGIN { print r / 1024 }')" "$bare" \
    "$(ratio "$program" "$bare")" "$sized" "$(ratio "$program" "$sized")" "$bare_cpu" \
    "$(ratio "$cpu" "$bare_cpu")"
  if [ "$machine" = 65536x4k ]; then big_resident=$resident; fi
  if [ "$machine" = 65536 ]; then bare_65536=$bare; fi
  if [ "$machine" = default ]; then
    default_ratio=$(ratio "$program" "$bare")
    sized_ratio=$(ratio "$program" "$sized")
  fi
done
awk -v r="$default_ratio" -v s="$sized_ratio" -v d="${program_ms[default]}" -v f="${program_ms[65536]}" -v b="$bare_65536" \
    -v big="${program_ms[65536x4k]}" -v mem="$big_resident" 'BEGIN {
  printf "  targets: default <= 1.2 x bare: %.2f (x sized bare: %.2f); ", r, s
  printf "65,536 functions <= 2 x bare: %.2f; ", f / b
  printf "65,536 functions <= default + 300 ms: +%.0f ms; ", f - d
  printf "65,536 x 4 KiB < 3000 ms and <= 600 MB: %.0f ms, %.0f MB\n", big, mem / 1024 }'
helper_cpu="not measured (needs root and a PCI bus)"
if [ -n "${cpu_ratio[helper]:-}" ]; then
  helper_cpu=$(awk -v r="${cpu_ratio[helper]}" -v h="${program_cpu[helper]}" -v d="${program_cpu[default]}" \
    'BEGIN { printf "%.2fx (%+.0f ms over the built-in machine: the stand-in, the helper and the real reads)", r, h - d }')
fi
printf '  targets: CPU <= 1.2 x bare window'"'"'s: built-in machine %sx, through the helper %s\n' \
  "${cpu_ratio[default]}" "$helper_cpu"
