#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package of a build, as a distribution's lintian sees it: any error fails. Run by
# `make check` (lintian is large, and the package test of `make test` checks the rest).
#   lint.sh BUILD_DIR
set -euo pipefail
build_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build_dir/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack"; }
lintian --no-tag-display-limit "$work"/out/quoril-bus_*.deb >"$work/lintian.log" 2>&1 || true
if grep -q '^E:' "$work/lintian.log"; then fail "lintian: $(grep '^E:' "$work/lintian.log")"; fi
echo "lint: $(grep -c '^[WI]:' "$work/lintian.log" || true) warnings and notes, no error"
