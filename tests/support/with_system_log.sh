#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command in a private mount namespace whose /dev (an overlay over the real one, the mounts
# inside it kept) has a system log of its own: a datagram socket at /dev/log whose records are
# written to LOG_FILE, one a line, in the order they came. With LOG_FILE "-" nothing listens
# there: no system log takes a record. Nothing outside the namespace sees either.
#   with_system_log.sh LOG_FILE|- COMMAND [ARGUMENT...]
set -euo pipefail
log=$1
shift
layer=$(mktemp -d)
trap 'rm -rf "$layer"' EXIT
mkdir "$layer/upper" "$layer/work" "$layer/kept"
[ "$log" = - ] || : >"$log"
unshare --mount --propagation private -- bash -c '
  set -euo pipefail
  layer=$1 log=$2
  shift 2
  # The overlay would hide the mounts inside /dev (pts, shm, mqueue): they are bound into it.
  inside=$(findmnt -rn -o TARGET | grep -E "^/dev/[^/]+$" | sort -u || true)
  for mounted in $inside; do
    mkdir "$layer/kept/${mounted#/dev/}"
    mount --rbind "$mounted" "$layer/kept/${mounted#/dev/}"
  done
  mount -t overlay overlay -o "lowerdir=/dev,upperdir=$layer/upper,workdir=$layer/work" /dev
  for mounted in $inside; do mount --rbind "$layer/kept/${mounted#/dev/}" "$mounted"; done
  rm -f /dev/log
  [ "$log" != - ] || exec "$@"
  python3 -c "
import os, socket, sys
log = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
log.bind(\"/dev/log\")
os.chmod(\"/dev/log\", 0o666)
with open(sys.argv[1], \"ab\", buffering=0) as out:
    while (record := log.recv(65536)) != b\"\\0\":
        out.write(record.rstrip(b\"\\0\\n\") + b\"\\n\")
" "$log" &
  listener=$!
  for _ in $(seq 200); do [ -S /dev/log ] && break; sleep 0.01; done
  status=0
  "$@" || status=$?
  # The last record: what came before it is in the file once the listener has ended.
  python3 -c "
import socket
socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM).sendto(b\"\\0\", \"/dev/log\")"
  wait "$listener"
  exit "$status"' sh "$layer" "$log" "$@"
