#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The built program and access libraries search only their own library folders: every RUNPATH
# or RPATH entry starts with $ORIGIN, none is empty (the loader reads an empty entry as the
# current directory), and the program's is exactly the installed layout's.
#   search_path_test.sh BUILD_DIR LIBRARY_FILE LIBRARY_DIR
set -euo pipefail
build=$1
library=$2
libdir=$3
fail() { echo "FAIL: $*" >&2; exit 1; }
checked=0
for file in "$build/bin/quoril-bus" "$build"/bin/*.so "$build"/sim/*.so; do
  paths=$(readelf -d "$file" | sed -n 's/.*(\(RUNPATH\|RPATH\)).*\[\(.*\)\]/\2/p')
  if [ -n "$paths" ]; then
    while IFS= read -r entry; do
      [[ "$entry" == '$ORIGIN'* ]] || fail "$file: entry '$entry' in '$paths'"
    done < <(tr ':' '\n' <<<"$paths")
  fi
  checked=$((checked + 1))
done
runpath=$(readelf -d "$build/bin/quoril-bus" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p')
[ "$runpath" = "\$ORIGIN/../$libdir" ] || fail "program RUNPATH '$runpath'"
[ -e "$build/$libdir/$library" ] || fail "no access library in the program's folder"
echo "$checked passed, 0 failed"
