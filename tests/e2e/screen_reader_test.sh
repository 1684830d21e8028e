#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The window as a screen reader meets it: run as a user (in a user namespace when root) with its
# own D-Bus session and accessibility bus on a private X server, READ the Command register with
# the real pointer, then walk the tree over AT-SPI with no hover and no focus. Every bit box and
# result line has its description, the names were read only when the walk asked, and nothing
# was written. The selectors and the device list have names. Set value's refusal, Go to register,
# the function view and the bus tree, opened from the keyboard, show their reason, fields, lines,
# bytes and decoded registers on the bus too. The window is a frame, each spin arrow says its
# spin and way, and no button goes unnamed.
#   screen_reader_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source=$1 build=$2
work=$(mktemp -d)
chmod 755 "$work"
exec {xfd}<> <(:)
# No reset when the last client leaves: a resetting server refuses the next one for a moment.
Xvfb -displayfd "$xfd" -screen 0 1280x1024x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true; rm -rf "$work"' EXIT
read -r -t 10 -u "$xfd" display || { echo "Xvfb did not start" >&2; exit 1; }
fail() { echo "FAIL: $*" >&2; exit 1; }

# Inside the session: the accessibility bus, the window, a READ, the walk.
cat >"$work/session.sh" <<SESSION
#!/usr/bin/env bash
set -euo pipefail
export HOME="$work" XDG_RUNTIME_DIR="$work/run" DISPLAY=":$display"
mkdir -m 700 "$work/run"
/usr/libexec/at-spi-bus-launcher --launch-immediately >"$work/launcher.log" 2>&1 &
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 LD_LIBRARY_PATH="$build/sim" QUORILBUS_SIM_TRACE="$work/trace" \
  "$build/bin/quoril-bus" >"$work/program.log" 2>&1 &
program=\$!
window=\$(timeout 20 xdotool search --sync --name "Quoril Bus" | head -n 1)
for _ in \$(seq 200); do [ "\$(wc -l <"$work/trace")" -ge 131073 ] && break; sleep 0.1; done
sleep 1  # the form is built after the scan
eval "\$(xdotool getwindowgeometry --shell "\$window")"
xdotool mousemove \$((X + 941)) \$((Y + 36)) click 1  # offset up: 0x0004
sleep 0.3
xdotool mousemove \$((X + 500)) \$((Y + 102)) click 1  # READ
for _ in \$(seq 50); do [ "\$(wc -l <"$work/trace")" -ge 131074 ] && break; sleep 0.1; done
wc -l <"$work/trace" >"$work/before-walk"
timeout 60 /usr/bin/python3 "$source/tests/e2e/atspi_walk.py" >"$work/walk.txt"
# Set value from the keyboard, with a value it refuses: the reason is read out.
xdotool key ctrl+e
for _ in \$(seq 50); do xdotool search --onlyvisible --name "Set value" >/dev/null && break; sleep 0.1; done
xdotool type zz
xdotool key Return
sleep 0.3
timeout 60 /usr/bin/python3 "$source/tests/e2e/atspi_walk.py" >"$work/refusal.txt"
xdotool key Escape
sleep 0.3
# NEW SELECTION, then Go to register from the keyboard, walked while it is open.
xdotool mousemove \$((X + 300)) \$((Y + 412)) click 1
sleep 0.5
xdotool key ctrl+g
for _ in \$(seq 50); do xdotool search --onlyvisible --name "Go to register" >/dev/null && break; sleep 0.1; done
timeout 60 /usr/bin/python3 "$source/tests/e2e/atspi_walk.py" >"$work/dialog.txt"
xdotool key Escape
sleep 0.3
xdotool key ctrl+d  # the window takes the keyboard back itself, with no window manager
for _ in \$(seq 50); do xdotool search --onlyvisible --name "^00:00.0 " >/dev/null && break; sleep 0.1; done
timeout 60 /usr/bin/python3 "$source/tests/e2e/atspi_walk.py" >"$work/view.txt"
xdotool key Escape
sleep 0.3
# The bus tree, from the device list's menu by keyboard.
xdotool mousemove \$((X + 100)) \$((Y + 240)) click 1
sleep 0.3
xdotool key Menu
sleep 0.5
xdotool key Down Down Down Return
for _ in \$(seq 50); do xdotool search --onlyvisible --name "^Bus tree" >/dev/null && break; sleep 0.1; done
timeout 60 /usr/bin/python3 "$source/tests/e2e/atspi_walk.py" >"$work/bus.txt"
xdotool key Escape
sleep 0.3
# The journal of writes, by its key: this session wrote nothing.
xdotool key ctrl+j
for _ in \$(seq 50); do xdotool search --onlyvisible --name "^Journal of writes" >/dev/null && break; sleep 0.1; done
timeout 60 /usr/bin/python3 "$source/tests/e2e/atspi_walk.py" >"$work/journal.txt"
xdotool key Escape
kill \$program
SESSION
chmod +x "$work/session.sh"
map=()
[ "$(id -u)" -eq 0 ] && map=(unshare --user --map-user=65534 --map-group=65534 --)
"${map[@]}" dbus-run-session -- "$work/session.sh" >"$work/session.log" 2>&1 ||
  fail "the session: $(tail -5 "$work/session.log")"

walk=$work/walk.txt
grep -qx 'application|quoril-bus|' "$walk" || fail "the window is not on the bus: $(head -3 "$walk")"
[ "$(cat "$work/before-walk")" -eq 131074 ] || fail "names were read before anyone asked"
[ "$(grep -c '^check box|.*|.\+' "$walk")" -eq 64 ] ||
  fail "$(grep -c '^check box|.*|.\+' "$walk") of 64 bit boxes have a description"
grep -qx 'check box|2|Command (0x04), bit 2: Bus Master Enable' "$walk" ||
  fail "bit 2: $(grep '^check box|2|' "$walk")"
# A line's description names its registers, then one meaning a line.
grep -A1 '^label|Read-DWord .*|Command (0x04) and Status (0x06):$' "$walk" |
  grep -qx 'DEVSEL Timing = fast' || fail "the Read line: $(grep -A1 '^label|Read-' "$walk")"
grep -A1 '^label|Write-DWord .*|Command (0x04) and Status (0x06):$' "$walk" |
  grep -qx 'DEVSEL Timing = fast' || fail "the Write line: $(grep -A1 '^label|Write-' "$walk")"
for name in Bus Device Function Address; do
  grep -q "^text|$name|" "$walk" || fail "the $name selector has no name: $(grep '^text|' "$walk" | head -5)"
  for way in next previous; do
    grep -qx "push button|$name, $way|" "$walk" ||
      fail "the $name arrow, $way: $(grep '^push button|' "$walk" | head -8)"
  done
done
grep -q '^frame|Quoril Bus - Read / Write ' "$walk" || fail "the window is no frame: $(sed -n 2p "$walk")"
grep -q '^list|PCI functions (simulated machine)|' "$walk" || fail "the device list has no name: $(grep '^list|' "$walk")"
grep -q '^label|Not a hex value: type hex digits' "$work/refusal.txt" ||
  fail "Set value's refusal is not read out: $(grep '^label|' "$work/refusal.txt")"
if grep -q '^WritePciConfig' "$work/trace"; then fail "the walk wrote"; fi
[ "$(wc -l <"$work/trace")" -gt 131074 ] || fail "the walk read no names"
dialog=$work/dialog.txt
grep -q '^dialog|Go to register|' "$dialog" || fail "no Go to register dialog on the bus"
grep -qx 'text|Register name or hex offset:|' "$dialog" || fail "the dialog's field has no name"
grep -qx 'list item|Command  0x04|' "$dialog" || fail "the dialog's list: $(grep -c '^list item' "$dialog") items"
view=$work/view.txt
grep -q '^dialog|00:00.0 Host bridge: ' "$view" || fail "no function view on the bus: $(grep '^dialog' "$view")"
[ "$(grep -c '^cell|' "$view")" -eq 256 ] || fail "$(grep -c '^cell|' "$view") of 256 bytes"
grep -qx 'cell|0x04: 06|Command (0x04)' "$view" || fail "byte 4: $(grep '^cell|0x04' "$view")"
grep -q '^table|Configuration space|' "$view" || fail "the byte table has no name: $(grep '^table' "$view")"
grep -q '^tree.*|Decoded registers|' "$view" || fail "the decoded tree has no name: $(grep '^tree' "$view" | head -3)"
grep -q '|Vendor ID|0x00, 0x8086, read-only, Intel Corporation$' "$view" || fail "Vendor ID: $(grep 'Vendor ID' "$view")"
# A register line sums up its fields for a reader that does not open it.
grep -q '|Status|0x06, 0x[0-9A-F]\{4\}, .*DEVSEL Timing [a-z]' "$view" ||
  fail "the Status line: $(grep '|Status|' "$view")"
grep -q '^check box|Watch, every|' "$view" || fail "the watch box: $(grep '^check box' "$view")"
grep -q '|Watch interval|How often Watch reads' "$view" || fail "the interval: $(grep 'Watch interval' "$view")"
bus=$work/bus.txt
grep -q '^tree.*|Bus tree|' "$bus" || fail "no bus tree on the bus: $(grep -c . "$bus") lines"
grep -q '|00:02.0 VGA compatible controller: ' "$bus" || fail "the bus tree's lines: $(grep -c '00:' "$bus")"
journal=$work/journal.txt
grep -q '^dialog|Journal of writes|' "$journal" || fail "no journal on the bus: $(grep '^dialog' "$journal")"
grep -q '^list|Writes of this session|' "$journal" || fail "the journal's list: $(grep '^list' "$journal")"
grep -q '^label|Nothing has been written yet.|' "$journal" ||
  fail "the journal's heading: $(grep '^label' "$journal")"
grep -q '^push button|Restore the value before|' "$journal" ||
  fail "the journal's buttons: $(grep '^push button' "$journal")"
# Wherever the walks went, every button has a name and no window reads as a bare filler.
for walked in "$walk" "$work/refusal.txt" "$dialog" "$view" "$bus" "$journal"; do
  if grep -q '^push button||' "$walked"; then
    fail "$(grep -c '^push button||' "$walked") unnamed buttons in $(basename "$walked")"
  fi
  if grep -q '^filler|' "$walked"; then fail "a filler in $(basename "$walked"): $(grep '^filler|' "$walked")"; fi
done
echo "5 passed, 0 failed"
