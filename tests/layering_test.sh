#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Includes follow the layering: app -> scan/register -> controls -> ui, with hw, text and
# config_space (register knowledge) below and beside; only src/ui sees Qt, and of config_space
# only the one DecodedLine type that the function view shows; the access libraries and the root
# helper include nothing of the program but config_space, which itself includes only text and
# the one PciLocation type; the program includes of the access libraries only the entry points'
# one declaration (from src/hw), the one PciLocation type and (in app) the system log that the
# root helper records in too.
#   layering_test.sh SOURCE_DIR
set -euo pipefail
cd "$1"
declare -A allowed=(
  [text]="text" [hw]="hw" [names]="names text" [config_space]="config_space text" [ui]="ui"
  [controls]="controls ui" [scan]="scan controls ui hw names text"
  [register]="register controls ui hw text config_space"
  [app]="app scan register controls ui hw names text config_space"
)
failures=0
checked=0
complain() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

for module in "${!allowed[@]}"; do
  for file in src/"$module"/*.h src/"$module"/*.cpp; do
    [ -e "$file" ] || continue
    checked=$((checked + 1))
    while read -r target; do
      [ "$target" = "access/common/entry_points.h" ] && [ "$module" = hw ] && continue
      [ "$target" = "access/common/pci_location.h" ] && continue
      [ "$target" = "config_space/decoded_line.h" ] && [ "$module" = ui ] && continue
      [ "$target" = "access/common/system_log.h" ] && [ "$module" = app ] && continue
      [[ " ${allowed[$module]} " == *" ${target%%/*} "* ]] || complain "$file includes $target"
    done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file")
    if [ "$module" != ui ] && grep -qE '^#include <(Q|qt)' "$file"; then
      complain "$file includes Qt"
    fi
  done
done
for file in access/*/*.h access/*/*.cpp; do
  checked=$((checked + 1))
  if grep -qE '^#include <(Q|qt)|^#include "(app|scan|register|controls|ui|hw|names|text)/' "$file"; then
    complain "$file includes the program"
  fi
done
[ "$checked" -gt 40 ] || complain "only $checked files seen"
echo "$((checked - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
