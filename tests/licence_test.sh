#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Every source file names its licence in its first two lines (the second after a #! line), and
# the licence text is there.
#   licence_test.sh SOURCE_DIR
set -euo pipefail
cd "$1"
[ -s LICENSE ] && grep -q "GNU GENERAL PUBLIC LICENSE" LICENSE || { echo "FAIL: no LICENSE"; exit 1; }
failures=0
checked=0
while IFS= read -r file; do
  checked=$((checked + 1))
  if ! head -n 2 "$file" | grep -q 'SPDX-License-Identifier: \(GPL-3.0-or-later\|CC0-1.0\)'; then
    echo "FAIL: $file has no SPDX identifier" >&2
    failures=$((failures + 1))
  fi
done < <(find . -path ./build -prune -o -path './build-*' -prune -o -path ./.git -prune -o \
           -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.in' -o -name '*.sh' \
           -o -name CMakeLists.txt -o -name Makefile -o -name '*.xml' -o -name '*.desktop' \
           -o -path './scripts/*' -o -path './.ci/*' \) -print)
[ "$checked" -gt 100 ] || { echo "FAIL: only $checked files seen" >&2; failures=$((failures + 1)); }
echo "$((checked - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
