#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Whole process on a private Xvfb: the peak memory of Save all at 65,536 functions, beside that of
# lspci printing the same dump (-xxx -F), in the same run. The window runs as the user on the
# simulated machine, and is driven as a user drives it: the device list's menu, Save all...,
# a path typed into the file dialog. Prints the program's peak resident memory before the save
# and after it, the file's size, and lspci's peak (from wait4).
#   bench/save_all_memory.sh BUILD
set -euo pipefail
build=$(cd "$1" && pwd)
as_user=$(cd "$(dirname "$0")/../scripts" && pwd)/as_user
. "$(dirname "$0")/xvfb_session.sh" save_all_memory
"$build/bin/quoril-bus-make-dump" 65536 256 "$work/65536.dump"
mkdir -m 1777 "$work/out"
saved=$work/out/functions.txt

peak_kib() { awk '/^VmHWM:/ { print $2 }' "/proc/$1/status"; }
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
# Waits until process PID has used no processor for half a second.
wait_idle() {
  local before after
  after=$(cpu_ticks "$1")
  for _ in $(seq 200); do
    before=$after
    sleep 0.5
    after=$(cpu_ticks "$1")
    [ "$after" -eq "$before" ] && return 0
  done
  echo "save_all_memory: the program did not come to rest" >&2
  exit 1
}

QUORILBUS_SIM_DUMP="$work/65536.dump" LD_LIBRARY_PATH="$build/sim" \
  "$as_user" "$build/bin/quoril-bus" >/dev/null 2>&1 &
program=$!
session_pids+=("$program")
window=$(timeout 20 xdotool search --sync --name "Quoril Bus" | head -n 1)
wait_idle "$program"
before=$(peak_kib "$program")
eval "$(xdotool getwindowgeometry --shell "$window")"

# The menu's order follows the offers; the entry is found by trying each place in turn.
found=""
for place in $(seq 10); do
  xdotool mousemove $((X + 300)) $((Y + 300)) click 3
  sleep 0.3
  for _ in $(seq "$place"); do xdotool key Down; done
  xdotool key Return
  if timeout 2 xdotool search --sync --onlyvisible --name "^Save all functions$" >/dev/null 2>&1; then
    found=yes
    break
  fi
  xdotool key Escape
  sleep 0.3
done
[ -n "$found" ] || { echo "save_all_memory: no Save all... in the device list's menu" >&2; exit 1; }
sleep 0.5
xdotool key ctrl+a
xdotool type --delay 20 "$saved"
sleep 0.5  # the name's completion list, if one opened, has closed again
xdotool key Return
for _ in $(seq 600); do [ -s "$saved" ] && break; sleep 0.1; done
[ -s "$saved" ] || { echo "save_all_memory: nothing was saved" >&2; exit 1; }
wait_idle "$program"
after=$(peak_kib "$program")
lspci_kib=$(/usr/bin/python3 -c '
import resource, subprocess, sys
subprocess.run(["lspci", "-xxx", "-F", sys.argv[1]], stdout=subprocess.DEVNULL, check=True)
print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)' "$work/65536.dump")
echo
echo "Save all at 65,536 functions, peak resident memory (whole process, Xvfb):"
awk -v b="$before" -v a="$after" -v l="$lspci_kib" -v s="$(stat -c %s "$saved")" 'BEGIN {
  printf "  program %.0f MB before the save, %.0f MB after it (%.0f MB file); lspci -xxx -F on the same dump %.0f MB: %.2fx\n",
    b / 1024, a / 1024, s / 1048576, l / 1024, a / l
  printf "  target: <= 1.2 x lspci: %.2fx\n", a / l }'
