# SPDX-License-Identifier: GPL-3.0-or-later
"""The copy of the working tree that mutants are written into, so the checkout itself is never
changed. It is kept between runs and brought up to date file by file: a file whose content is
the same keeps its time, so ninja rebuilds only what changed since the last run."""

import os
import shutil
import subprocess


def tree_files(repo):
    """What the working tree holds: tracked files that still exist, and untracked ones git does
    not ignore."""
    listed = subprocess.run(["git", "-C", repo, "ls-files", "-z", "--cached", "--others",
                             "--exclude-standard"], check=True, capture_output=True).stdout
    names = {name for name in listed.decode().split("\0") if name}
    return sorted(n for n in names if os.path.lexists(os.path.join(repo, n)))


def _same(source, target):
    if os.path.islink(source) or os.path.islink(target):
        return os.path.islink(source) and os.path.islink(target) and \
            os.readlink(source) == os.readlink(target)
    if not os.path.isfile(target) or os.path.getsize(source) != os.path.getsize(target):
        return False
    with open(source, "rb") as a, open(target, "rb") as b:
        return a.read() == b.read()


def sync(repo, copy):
    """Makes `copy` hold exactly the working tree's files; returns how many it wrote."""
    files = tree_files(repo)
    written = 0
    for name in files:
        source, target = os.path.join(repo, name), os.path.join(copy, name)
        if _same(source, target):
            continue
        os.makedirs(os.path.dirname(target), exist_ok=True)
        if os.path.lexists(target):
            os.remove(target)
        if os.path.islink(source):
            os.symlink(os.readlink(source), target)
        else:
            shutil.copyfile(source, target)  # a new time: what depends on it rebuilds
            shutil.copymode(source, target)
        written += 1
    keep = set(files)
    for folder, _, names in os.walk(copy, topdown=False):
        for name in names:
            path = os.path.join(folder, name)
            if os.path.relpath(path, copy) not in keep:
                os.remove(path)
        if folder != copy and not os.listdir(folder):
            os.rmdir(folder)
    return written


def write_text(path, text):
    with open(path, "w", encoding="utf-8", newline="") as out:
        out.write(text)


def with_line(text, number, line):
    """`text` with its line `number` (1-based) replaced by `line`."""
    rows = text.split("\n")
    rows[number - 1] = line
    return "\n".join(rows)
