# SPDX-License-Identifier: GPL-3.0-or-later
"""Which CTest tests run the code of a source file: the build graph (build.ninja, and the
headers each object read, from ninja's deps log) says what a file ends up in; each test's
command says which of those it runs."""

import json
import os
import re
import subprocess
from collections import defaultdict
from dataclasses import dataclass

LINK_RULE = re.compile(r"_(EXECUTABLE|SHARED_LIBRARY|MODULE)_LINKER")


@dataclass
class Test:
    number: int  # CTest's, for -I N,N
    name: str
    command: list


def _split_paths(text):
    """The paths of a build line's field, with ninja's $-escapes undone."""
    paths, current, i = [], "", 0
    while i < len(text):
        c = text[i]
        if c == "$" and i + 1 < len(text):
            current += text[i + 1]
            i += 2
            continue
        if c == " ":
            if current:
                paths.append(current)
            current = ""
        else:
            current += c
        i += 1
    if current:
        paths.append(current)
    return paths


def _unescaped(text, char):
    """Index of the first `char` not escaped with $, or -1."""
    i = 0
    while i < len(text):
        if text[i] == "$":
            i += 2
        elif text[i] == char:
            return i
        else:
            i += 1
    return -1


def parse_build_lines(text):
    """(outputs, rule, inputs) of each build statement; inputs hold the implicit and order-only
    ones too: a test loads what it was made to wait for."""
    text = re.sub(r"\$\n\s*", "", text)
    for row in text.splitlines():
        if not row.startswith("build "):
            continue
        colon = _unescaped(row, ":")
        outputs = [p for p in _split_paths(row[6:colon]) if p != "|"]
        rule, _, rest = row[colon + 1:].strip().partition(" ")
        inputs = [p for p in _split_paths(rest) if p not in ("|", "||", "|@")]
        yield outputs, rule, inputs


def parse_deps(text):
    """{object: [headers and sources]} from `ninja -t deps`."""
    deps = defaultdict(list)
    target = None
    for row in text.splitlines():
        if row and not row[0].isspace():
            target = row.split(": #deps", 1)[0]
        elif row.strip() and target is not None:
            deps[target].append(row.strip())
    return deps


class BuildGraph:
    def __init__(self, build_dir, build_text, deps_text):
        self.build_dir = build_dir
        self.users = defaultdict(set)  # file -> what is built from it
        self.linked = set()            # executables and shared libraries
        for outputs, rule, inputs in parse_build_lines(build_text):
            outputs = [self._absolute(p) for p in outputs]
            if LINK_RULE.search(rule):
                self.linked.update(outputs)
            for source in inputs:
                self.users[self._absolute(source)].update(outputs)
        for target, sources in parse_deps(deps_text).items():
            for source in sources:
                self.users[self._absolute(source)].add(self._absolute(target))

    @classmethod
    def load(cls, build_dir):
        with open(os.path.join(build_dir, "build.ninja"), encoding="utf-8") as build_file:
            build_text = build_file.read()
        deps = subprocess.run(["ninja", "-C", build_dir, "-t", "deps"], check=True,
                              capture_output=True, text=True).stdout
        return cls(build_dir, build_text, deps)

    def _absolute(self, path):
        return os.path.normpath(os.path.join(self.build_dir, path))

    def built_from(self, source):
        """Everything whose build reads `source`, directly or through what it builds."""
        found, queue = set(), [os.path.normpath(source)]
        while queue:
            for user in self.users.get(queue.pop(), ()):
                if user not in found:
                    found.add(user)
                    queue.append(user)
        return found


def load_tests(build_dir):
    shown = subprocess.run(["ctest", "--show-only=json-v1"], cwd=build_dir, check=True,
                           capture_output=True, text=True).stdout
    return [Test(number, t["name"], t.get("command", []))
            for number, t in enumerate(json.loads(shown)["tests"], start=1)]


def _script_text(test, source_dir):
    """A script test's command line, its script, and the scripts it names under the source
    tree (one level: scripts/demo, tests/support/...)."""
    text = " ".join(test.command)
    script = test.command[0] if test.command else ""
    if os.path.isfile(script) and script.startswith(source_dir + os.sep):
        with open(script, encoding="utf-8", errors="replace") as script_file:
            text += "\n" + script_file.read()
    for named in sorted(set(re.findall(r"[\w.-]+(?:/[\w.-]+)+", text))):
        parts = named.split("/")
        for first in range(len(parts) - 1):  # "$source_dir/scripts/demo" names scripts/demo
            path = _in_tree(source_dir, "/".join(parts[first:]))
            if path:
                with open(path, encoding="utf-8", errors="replace") as named_file:
                    text += "\n" + named_file.read()
                break
    return text


def _in_tree(source_dir, name):
    for folder in (source_dir, os.path.join(source_dir, "tests")):
        path = os.path.normpath(os.path.join(folder, name))
        if path.startswith(source_dir + os.sep) and os.path.isfile(path):
            return path
    return None


def _names(text, path):
    return re.search(r"(?<![\w.-])" + re.escape(os.path.basename(path)) + r"(?![\w-])", text)


def covering_tests(graph, tests, source, source_dir):
    """The tests that run code built from `source`. A test binary covers it when it is built
    from it (or waits for a library built from it). A script covers it when it names such a
    program or library and is given the build folder; a script given only the sources (the
    layering, licence and launcher checks) runs no compiled code."""
    built = graph.built_from(source)
    programs = built & graph.linked
    chosen = []
    for test in tests:
        if not test.command:
            continue
        runs = os.path.normpath(test.command[0])
        if runs in graph.linked or runs.startswith(graph.build_dir + os.sep):
            covered = runs in built
        else:
            text = _script_text(test, source_dir)
            given_build = graph.build_dir in text
            covered = given_build and any(p in text or _names(text, p) for p in programs)
        if covered:
            chosen.append(test)
    return chosen
