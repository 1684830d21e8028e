#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The elevated library end to end on this machine, read-only: its helper started through a fake
# /usr/bin/pkexec, the port scan and the first 64 bytes of every function compared with lspci
# and setpci. pkexec is called with the helper's absolute path and nothing else, the helper is
# gone once the library is released, and a refused authentication is a failed initialisation.
#   elevated_test.sh SOURCE_DIR BUILD_DIR ACCESS_FILE LIBRARY_DIR
set -euo pipefail
source=$1 build=$2 file=$3 libdir=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
library=$build/$libdir/elevated/$file
helper=$(realpath "$build/libexec/quoril-bus/quoril-bus-helper")

mkdir "$work/accepts" "$work/refuses"
# Once authorised, pkexec runs the program as root with a cleared environment.
cat >"$work/accepts/pkexec" <<FAKE
#!/bin/sh
printf '%s\n' "\$@" >"$work/pkexec.args"
exec /usr/bin/env -i "\$@"
FAKE
printf '#!/bin/sh\nexit 126\n' >"$work/refuses/pkexec"  # the user cancelled the dialog
chmod +x "$work/accepts/pkexec" "$work/refuses/pkexec"

"$source/tests/support/with_fake_usr_bin.sh" "$work/accepts" \
  env QBUS_LIBRARY_UNDER_TEST="$library" "$build/bin/real_machine_test" || fail "reads differ"
[ "$(cat "$work/pkexec.args")" = "$helper" ] || fail "pkexec was called with: $(cat "$work/pkexec.args")"
if pgrep -f quoril-bus-helper >/dev/null; then fail "a helper outlived its library"; fi

"$source/tests/support/with_fake_usr_bin.sh" "$work/refuses" \
  env QBUS_LIBRARY_UNDER_TEST="$library" QBUS_EXPECT_REFUSAL=1 "$build/bin/real_machine_test" \
  --gtest_filter='RefusedAuthentication.*' || fail "a refusal was not a failed initialisation"
echo "3 passed, 0 failed"
