#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command in a private mount namespace in which the files of FAKES_DIR stand in /usr/bin
# (an overlay over the real folder), so a program that starts /usr/bin/pkexec or
# /usr/bin/dbus-launch by its absolute path starts the fake. Nothing outside the namespace sees
# it. An ordinary user gets the namespace inside a user namespace of their own, where they are
# root only to mount.
#   with_fake_usr_bin.sh FAKES_DIR COMMAND [ARGUMENT...]
set -euo pipefail
fakes=$1
shift
layer=$(mktemp -d)
trap 'rm -rf "$layer"' EXIT
mkdir "$layer/upper" "$layer/work"
cp -a "$fakes"/. "$layer/upper/"
own=()
[ "$(id -u)" -eq 0 ] || own=(--user --map-root-user)
unshare "${own[@]}" --mount --propagation private -- sh -c '
  mount -t overlay overlay -o "lowerdir=/usr/bin,upperdir=$1/upper,workdir=$1/work" /usr/bin &&
  shift && exec "$@"' sh "$layer" "$@"
