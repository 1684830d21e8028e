#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The real binary started in odd ways. With no display, or one that refuses the connection, it
# ends at once with 0 and touches nothing. Started with Qt options that would load a plugin from
# a folder of the caller's choosing, none takes effect: the program still reaches its selection
# form. (A window started as root is root_window_test's.)
#   process_start_test.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'kill "${program:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Exactly one line, whatever platform Qt tries on the way.
for display in "" ":77" "wayland"; do
  status=0
  wayland=()
  [ "$display" = wayland ] && wayland=(WAYLAND_DISPLAY=wayland-77) display=""
  env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "${wayland[@]}" DISPLAY="$display" \
    LD_LIBRARY_PATH="$build/sim" QUORILBUS_SIM_TRACE="$work/trace" \
    timeout 10 "$(dirname "$0")/../../scripts/as_user" "$build/bin/quoril-bus" >"$work/out" 2>&1 ||
    status=$?
  [ "$status" -eq 0 ] || fail "display '$display': exit status $status"
  [ "$(cat "$work/out")" = "quoril-bus: no window can be opened (no usable display)" ] ||
    fail "display '$display' ${wayland[*]}: $(cat "$work/out")"
  [ ! -e "$work/trace" ] || fail "display '$display': the library was used"
done

QT_QPA_PLATFORM=offscreen LD_LIBRARY_PATH="$build/sim" QUORILBUS_SIM_TRACE="$work/trace" \
  "$(dirname "$0")/../../scripts/as_user" "$build/bin/quoril-bus" -platformpluginpath "$work" -platform planted -reverse \
  >"$work/out" 2>&1 &
program=$!

# The scan's last probe is trace line 131073; then the form waits for its user.
for _ in $(seq 200); do
  [ -f "$work/trace" ] && [ "$(wc -l <"$work/trace")" -ge 131073 ] && break
  kill -0 "$program" 2>/dev/null || fail "the program ended: $(head -5 "$work/out")"
  sleep 0.1
done
[ "$(wc -l <"$work/trace")" -ge 131073 ] || fail "the scan did not finish"
if grep -q planted "$work/out"; then fail "Qt took the caller's options: $(head -5 "$work/out")"; fi
echo "4 passed, 0 failed"
