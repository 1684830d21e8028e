#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The real quoril-bus binary on a virtual X server, driven with real input events against the
# simulated machine (scripts/demo); the library's trace must show the whole call sequence.
#   end_to_end_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=$1
build_dir=$2
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

"$source_dir/scripts/demo" "$build_dir" "$out"  # fails when the program exits with non-zero

fail() { echo "FAIL: $*" >&2; exit 1; }
trace="$out/trace.txt"
[ "$(sed -n 1p "$trace")" = "InitializeOls -> 0x1" ] || fail "first line: $(sed -n 1p "$trace")"
[ "$(wc -l <"$trace")" -ge $((1 + 131072 + 4)) ] || fail "$(wc -l <"$trace") trace lines"

# The scan: every address in order, each written and then read, nothing in between.
awk 'NR >= 2 && NR <= 131073 {
       probe = int((NR - 2) / 2)
       if (NR % 2 == 0) want = sprintf("WriteIoPortDwordEx 0xCF8 0x%X -> 0x1", 2147483648 + probe * 256)
       else want = "ReadIoPortDwordEx 0xCFC -> 0x1 0x"
       if (index($0, want) != 1) { print "line " NR ": " $0; exit 1 }
     }' "$trace" || fail "the scan's port calls"

# The read, the write of the value composed from the clicked bits (0x0407 with bits 15, 8 and
# 3 set and bit 0 cleared), the read-back of what the register took, only reads to find the
# bit's name, and the end.
expected='ReadPciConfigWordEx 0x10 0x4 -> 0x1 0x407
WritePciConfigWordEx 0x10 0x4 0x850E -> 0x1
ReadPciConfigWordEx 0x10 0x4 -> 0x1 0x506'
after_scan=$(tail -n +$((1 + 131072 + 1)) "$trace")
[ "$(head -n 3 <<<"$after_scan")" = "$expected" ] || fail "register calls: $after_scan"
[ "$(tail -n 1 <<<"$after_scan")" = DeinitializeOls ] || fail "the end: $after_scan"
if sed '1,3d;$d' <<<"$after_scan" | grep -v '^ReadPciConfig'; then fail "names did more than read"; fi
[ "$(sed '1,3d;$d' <<<"$after_scan" | wc -l)" -gt 0 ] || fail "no names were read"

# The write's two records reach the system log, or standard error where none listens.
if [ ! -S /dev/log ]; then
  record='quoril-bus: write 00:02.0 offset=0x0004 width=Word before=0x0407 value=0x850E'
  [ "$(grep -c "^$record" "$out/program.log")" -eq 2 ] &&
    grep -qx "$record after=0x0506 result=ok" "$out/program.log" ||
    fail "write records: $(cat "$out/program.log")"
fi

for shot in 01-selection-form 03-register-read 05-written-and-verified 06-bit-tooltip \
  08-decoded-tooltip 09-function-view; do
  [ -s "$out/$shot.png" ] || fail "no screenshot $shot"
done
echo "1 passed, 0 failed"
