#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Whole process on a private Xvfb, through the elevated library and its root helper (started by
# a fake /usr/bin/pkexec in a private mount namespace, so no password dialog stands in the way):
# how long the function view of 00:00.0 takes to appear, from Ctrl+D to its window drawn on the X
# server with the bytes and the decoded tree (seen by a client blocked on the server, so the
# measuring takes no processor), on an
# idle machine and beside two busy processes per processor. The view reads the function's whole
# space in one request to the helper. Reads only. Needs root (for the namespace, and for the
# helper to read past the first 64 bytes); each figure includes one xdotool start.
#   bench/function_view_open.sh SOURCE_DIR BUILD [RUNS]
set -euo pipefail
source=$(cd "$1" && pwd)
build=$(cd "$2" && pwd)
runs=${3:-5}
if [ "$(id -u)" -ne 0 ] || [ ! -e /sys/bus/pci/devices/0000:00:00.0/config ]; then
  echo "Function view through the elevated library: skipped (needs root and a function 00:00.0)"
  exit 0
fi
work=$(mktemp -d)
exec {xfd}<> <(:)
Xvfb -displayfd "$xfd" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "${program:-}" "$xvfb" 2>/dev/null || true; rm -rf "$work"' EXIT
read -r -t 10 -u "$xfd" display || { echo "function_view_open: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$display"

mkdir "$work/fakes"
printf '#!/bin/sh\nexec /usr/bin/env -i "$@"\n' >"$work/fakes/pkexec"
chmod +x "$work/fakes/pkexec"
"$source/tests/support/with_fake_usr_bin.sh" "$work/fakes" \
  env LD_LIBRARY_PATH="$build/elevated" "$build/bin/quoril-bus" >"$work/log" 2>&1 &
program=$!
window=$(timeout 20 xdotool search --sync --name "Quoril Bus" | head -n 1)
sleep 3  # the scan
eval "$(xdotool getwindowgeometry --shell "$window")"
# Opens and closes the view $runs times; the times in ms, in order.
measure() {
  local times=()
  for _ in $(seq "$runs"); do
    # Without a window manager a closed dialog leaves the focus nowhere: a click gives it back.
    xdotool mousemove $((X + 5)) $((Y + 5)) click 1
    sleep 0.2
    times+=("$("$build/bin/quoril-bus-map-timer" xdotool key ctrl+d | cut -d' ' -f2)")
    xdotool search --onlyvisible --name "^00:00.0 " >/dev/null || { echo "no function view" >&2; exit 1; }
    xdotool key Escape
    while xdotool search --onlyvisible --name "^00:00.0 " >/dev/null 2>&1; do sleep 0.05; done
  done
  echo "${times[*]}"
}
idle=$(measure)
busy=()
for _ in $(seq $((2 * $(nproc)))); do
  sh -c 'while :; do :; done' &
  busy+=($!)
done
loaded=$(measure)
kill "${busy[@]}"
size=$(stat -c %s /sys/bus/pci/devices/0000:00:00.0/config)
echo "Function view of 00:00.0 ($size bytes) through the elevated library, Ctrl+D to the drawn view and tree (whole process, Xvfb): ms $idle idle (in order; the first loads the PCI ID database for the title); ms $loaded beside two busy processes per processor"
