#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Whole process on a private Xvfb: how long Go to register takes to appear for a 4 KiB function
# whose capability lists are as long as they can be (47 standard, 960 extended), from the key
# press to its window on the X server (seen by a client blocked on the server, so the measuring
# takes no processor). The window runs as the user on the simulated machine; each figure
# includes one xdotool start (a few ms).
#   bench/dialog_open.sh BUILD [RUNS]
set -euo pipefail
build=$(cd "$1" && pwd)
runs=${2:-5}
work=$(mktemp -d)
exec {xfd}<> <(:)
Xvfb -displayfd "$xfd" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "${program:-}" "$xvfb" 2>/dev/null || true; rm -rf "$work"' EXIT
read -r -t 10 -u "$xfd" display || { echo "dialog_open: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$display"

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

QUORILBUS_SIM_DUMP="$work/long.dump" QUORILBUS_SIM_TRACE="$work/trace" LD_LIBRARY_PATH="$build/sim" \
  "$(dirname "$0")/../scripts/as_user" "$build/bin/quoril-bus" >/dev/null 2>&1 &
program=$!
window=$(timeout 20 xdotool search --sync --name "Quoril Bus" | head -n 1)
for _ in $(seq 200); do [ "$(wc -l <"$work/trace")" -ge 131073 ] && break; sleep 0.1; done
sleep 1
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove $((X + 191)) $((Y + 36)) click 1  # bus 1
sleep 0.3
times=()
for _ in $(seq "$runs"); do
  # Without a window manager a closed dialog leaves the focus nowhere: a click gives it back.
  xdotool mousemove $((X + 5)) $((Y + 5)) click 1
  sleep 0.2
  times+=("$("$build/bin/quoril-bus-map-timer" xdotool key ctrl+g | cut -d' ' -f2)")
  xdotool search --onlyvisible --name "Go to register" >/dev/null || { echo "no dialog" >&2; exit 1; }
  xdotool key Escape
  while xdotool search --onlyvisible --name "Go to register" >/dev/null 2>&1; do sleep 0.05; done
done
sorted=$(printf '%s\n' "${times[@]}" | sort -n | xargs)
echo "Go to register on a 4 KiB function with 47 + 960 capabilities, key to drawn window (whole process, Xvfb): ms $sorted (first run reads the layout)"
