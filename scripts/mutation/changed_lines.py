# SPDX-License-Identifier: GPL-3.0-or-later
"""The C++ lines of the program and its access libraries that the working tree adds or changes
since a base commit: what a mutation run mutates."""

import fnmatch
import os
import re
import subprocess

SOURCE_FOLDERS = ("src/", "access/")
SOURCE_SUFFIXES = (".cpp", ".cc", ".cxx", ".h", ".hpp")
HUNK = re.compile(r"^@@ -\d+(?:,\d+)? \+(\d+)(?:,(\d+))? @@")


def is_source(path):
    return path.startswith(SOURCE_FOLDERS) and path.endswith(SOURCE_SUFFIXES)


def selected(path, patterns):
    """Whether `path` matches one of the globs (or folder names) in `patterns`; all do when
    there are none."""
    return not patterns or any(fnmatch.fnmatch(path, p) or path.startswith(p.rstrip("/") + "/")
                               for p in patterns)


def parse_diff(text):
    """{path: set of line numbers} of the lines a `git diff -U0` adds, in the new files."""
    lines = {}
    path = None
    for row in text.splitlines():
        if row.startswith("+++ "):
            name = row[4:]
            path = name[2:] if name.startswith("b/") else None  # /dev/null: the file went
        elif path is not None and (hunk := HUNK.match(row)):
            start, count = int(hunk.group(1)), int(hunk.group(2) or 1)
            lines.setdefault(path, set()).update(range(start, start + count))
    return {p: numbers for p, numbers in lines.items() if numbers}


def _git(repo, work_tree, *arguments):
    # No optional locks: the checkout's index is only read, never refreshed from the copy.
    return subprocess.run(["git", "-C", repo, f"--work-tree={work_tree}", *arguments], check=True,
                          capture_output=True, text=True,
                          env={**os.environ, "GIT_OPTIONAL_LOCKS": "0"}).stdout


def changed_lines(repo, base, patterns=(), work_tree=None):
    """The diff base..working tree, and every line of files git does not track yet. The
    working tree may be a copy of the checkout's (`work_tree`), so that the lines are those of
    the copy even while the checkout changes."""
    work_tree = os.path.abspath(work_tree or repo)
    diff = _git(repo, work_tree, "diff", "-U0", "--no-color", "--no-ext-diff", base, "--",
                *SOURCE_FOLDERS)
    lines = parse_diff(diff)
    for path in _git(repo, work_tree, "ls-files", "--others", "--exclude-standard", "--",
                     *SOURCE_FOLDERS).splitlines():
        with open(os.path.join(work_tree, path), encoding="utf-8", errors="replace") as new_file:
            lines[path] = set(range(1, new_file.read().count("\n") + 2))
    return {p: n for p, n in sorted(lines.items()) if is_source(p) and selected(p, patterns)}
