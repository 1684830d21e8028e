#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command as an ordinary user in the kernel's own eyes. Started as root, it becomes uid
# and gid 65534 (nobody), in one group more (65533) as users are in groups beyond their own, and
# holds no capability: a process on the other end of its socket (SO_PEERCRED) is told 65534.
# scripts/as_user's user namespace does not do that: there the kernel still sees uid 0. It gets
# a runtime folder of its own, so Qt makes none in /tmp that another user's run then finds
# taken. Started as any other user, it runs the command as it is. A file among the arguments
# that the user cannot reach (a build tree under a private home, as /root is) ends it with 77,
# which the tests take as skipped.
#   as_ordinary_user.sh COMMAND [ARGUMENT...]
set -euo pipefail
if [ "$(id -u)" -ne 0 ]; then exec "$@"; fi
for argument in "$@"; do
  if [ "${argument#/}" != "$argument" ] && [ -e "$argument" ] &&
     ! setpriv --reuid=65534 --regid=65534 --clear-groups test -r "$argument"; then
    echo "skipped: uid 65534 cannot reach $argument (a folder above it is private)" >&2
    exit 77
  fi
done
runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
chown 65534:65534 "$runtime"
status=0
XDG_RUNTIME_DIR=$runtime setpriv --reuid=65534 --regid=65534 --groups=65533 -- "$@" || status=$?
exit "$status"
