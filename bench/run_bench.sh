#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The benchmark binary's table (bench_main.cpp), then the elevated library against the in-process
# one as a user waits (helper_waits.cpp), both in a private mount namespace where a stand-in
# stands at /usr/bin/pkexec: it starts the helper as the tests' stand-in does, with a cleared
# environment and no password asked. Arguments after BUILD go to the table's run
# (--benchmark_filter=REGEX, for one).
#   bench/run_bench.sh BUILD [BENCHMARK_ARGUMENT...]
set -euo pipefail
build=$(cd "$1" && pwd)
shift
source=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/fakes"
printf '#!/bin/sh\nexec /usr/bin/env -i "$@"\n' >"$work/fakes/pkexec"
chmod +x "$work/fakes/pkexec"
in_namespace() {
  "$source/tests/support/with_fake_usr_bin.sh" "$work/fakes" \
    env QBUS_BENCH_PKEXEC_STAND_IN=1 "$build/bin/quoril-bus-bench" "$@"
}
echo "Benchmarks on Qt's offscreen platform (no painting). InProcess rows time work done in this"
echo "process, and their CPU is that of its timing thread; WholeProcess rows time processes they"
echo "start, and their CPU adds those processes' own once they have ended."
in_namespace "$@"
in_namespace --helper-waits
