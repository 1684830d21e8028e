#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The mutation run, as scripts/mutate starts it (in its namespaces, over the fake PCI tree).
Mutants of the C++ lines changed since BASE are written one at a time into a copy of the
working tree (MUTATE_DIR/tree), built incrementally in MUTATE_DIR/build, and tried against the
tests that run the mutated file's code. A test that fails or runs out of time kills the
mutant; one that does not build counts apart.
    mutate.py BASE     (MUTANTS_MAX: default 150; MUTATE_FILES: globs; MUTATE_DIR: default
                        build-mutate; MUTATE_TIMEOUT: seconds per mutant, default 5 times the
                        tests' unmutated time, at least 60; each test also gets at most 5
                        times its own, at least 60)"""

import fcntl
import os
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from mutation import changed_lines, coverage, mutants, tree_copy  # noqa: E402

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
# Debug: nothing to optimise, so each mutant compiles fastest. The warnings a mutant of sound
# code often raises (an operator mix without parentheses, a variable a dropped statement no
# longer uses, a comparison made always true) stay warnings: the mutant is still C++ to try.
QUIET = ("parentheses", "unused-variable", "unused-but-set-variable", "unused-parameter",
         "unused-function", "unused-value", "type-limits", "int-in-bool-context")
CMAKE_FLAGS = ["-DCMAKE_BUILD_TYPE=Debug",
               "-DCMAKE_CXX_FLAGS=" + " ".join(f"-Wno-error={w}" for w in QUIET)]


def say(text=""):
    print(text, flush=True)


def run_group(command, timeout, log, **kwargs):
    """The exit status, or None when time ran out; the output goes to the file `log`. The
    command and all it starts run in a process group of their own, which goes whole when the
    command ends, its time is up or the run is interrupted: nothing a test left behind runs on."""
    with open(log, "w") as out:
        process = subprocess.Popen(command, stdout=out, stderr=subprocess.STDOUT,
                                   stdin=subprocess.DEVNULL, start_new_session=True, **kwargs)
    try:
        return process.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        return None
    finally:
        try:
            os.killpg(process.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        process.wait()


def read(path):
    with open(path, encoding="utf-8", errors="replace") as text:
        return text.read()


class Workspace:
    def __init__(self, folder):
        self.folder = folder
        self.tree = os.path.join(folder, "tree")
        self.build = os.path.join(folder, "build")
        self.log = os.path.join(folder, "last-output.txt")

    def prepare(self):
        written = tree_copy.sync(REPO, self.tree)
        say(f"mutate: the copy of the working tree is up to date ({written} files written)")
        marker = os.path.join(self.build, ".mutate-flags")
        if not os.path.isfile(os.path.join(self.build, "build.ninja")) or \
                not os.path.isfile(marker) or read(marker) != " ".join(CMAKE_FLAGS):
            subprocess.run(["cmake", "-S", self.tree, "-B", self.build, "-G", "Ninja",
                            *CMAKE_FLAGS], check=True, stdout=subprocess.DEVNULL)
            tree_copy.write_text(marker, " ".join(CMAKE_FLAGS))

    def compile(self):
        return run_group(["ninja", "-C", self.build], 3600, self.log) == 0

    def run_test(self, test, timeout):
        """'passed', 'failed' or 'time-out'; the output is in self.log."""
        status = run_group(["ctest", "-I", f"{test.number},{test.number}", "--output-on-failure",
                            "--timeout", str(int(timeout) + 1)], timeout, self.log, cwd=self.build)
        if status is None or "***Timeout" in read(self.log):
            return "time-out"
        return "passed" if status == 0 else "failed"


def options():
    base = sys.argv[1] if len(sys.argv) > 1 else ""
    if not base or len(sys.argv) > 2:
        sys.exit(__doc__)
    folder = os.path.abspath(os.path.join(REPO, os.environ.get("MUTATE_DIR") or "build-mutate"))
    inside = os.path.relpath(folder, REPO)
    if not inside.startswith(".."):
        ignored = subprocess.run(["git", "-C", REPO, "check-ignore", "-q", inside + "/"])
        if inside == "." or ignored.returncode != 0:
            sys.exit(f"mutate: MUTATE_DIR {folder} lies in the checkout and git does not ignore it")
    limit = int(os.environ.get("MUTANTS_MAX") or 150)
    patterns = (os.environ.get("MUTATE_FILES") or "").replace(",", " ").split()
    timeout = float(os.environ.get("MUTATE_TIMEOUT") or 0)
    return base, folder, limit, patterns, timeout


def choose_mutants(base, limit, patterns, tree):
    lines = changed_lines.changed_lines(REPO, base, patterns, work_tree=tree)
    found = []
    for path, numbers in lines.items():
        with open(os.path.join(tree, path), encoding="utf-8", newline="") as source:
            found += mutants.file_mutants(path, source.read(), numbers)
    chosen = mutants.sample(found, limit)
    say(f"mutate: {sum(map(len, lines.values()))} changed lines in {len(lines)} files since "
        f"{base}: {len(found)} mutants, {len(chosen)} tried")
    return chosen


def baseline(space, tests):
    """Each test's unmutated time; stops the run when one fails."""
    times = {}
    for test in tests:
        started = time.monotonic()
        outcome = space.run_test(test, timeout=1800)
        times[test.name] = time.monotonic() - started
        if outcome != "passed":
            say(read(space.log))
            say(f"mutate: {test.name} fails without any mutant ({outcome}): fix it first; "
                "no mutant was tried")
            sys.exit(1)
    say(f"mutate: the unmutated tree passes its {len(tests)} tests in {sum(times.values()):.0f} s")
    return times


def try_mutant(space, tests, times, kills, fixed_timeout):
    """'killed', 'time-out', 'survived' or 'not compiled', and the test that killed it. The
    tests that killed most mutants of the file so far go first, then the quick ones."""
    if not space.compile():
        return "not compiled", ""
    limit = fixed_timeout or max(60.0, 5 * sum(times[t.name] for t in tests))
    deadline = time.monotonic() + limit
    for test in sorted(tests, key=lambda t: (-kills.get(t.name, 0), times[t.name])):
        left = deadline - time.monotonic()
        if left <= 0:
            return "time-out", test.name
        # A hang in a quick test shows long before the whole budget is spent.
        outcome = space.run_test(test, min(left, fixed_timeout or max(60.0, 5 * times[test.name])))
        if outcome != "passed":
            return ("killed" if outcome == "failed" else "time-out"), test.name
    return "survived", ""


def report(folder, results):
    counts = {}
    for _, outcome, _ in results:
        counts[outcome] = counts.get(outcome, 0) + 1
    killed = counts.get("killed", 0) + counts.get("time-out", 0)
    survived = counts.get("survived", 0)
    score = f"{100 * killed / (killed + survived):.1f}%" if killed + survived else "n/a"
    survivors = [m for m, outcome, _ in results if outcome == "survived"]
    lines = [f"{m.path}:{m.line}: {m.kind}\n  - {m.original.strip()}\n  + {m.mutated.strip()}"
             for m in survivors]
    with open(os.path.join(folder, "survivors.txt"), "w", encoding="utf-8") as out:
        out.write("".join(line + "\n" for line in lines))
    with open(os.path.join(folder, "results.txt"), "w", encoding="utf-8") as out:
        for m, outcome, by in results:
            out.write(f"{outcome}\t{by}\t{m.path}:{m.line}\t{m.kind}\t{m.mutated.strip()}\n")
    say()
    say(f"mutate: score {score}: {killed} killed ({counts.get('time-out', 0)} by time-out), "
        f"{survived} survived, {counts.get('not compiled', 0)} did not compile"
        + (f", {counts['not built']} in files this build does not compile" if "not built" in counts
           else ""))
    if survivors:
        say("Survivors (also in " + os.path.join(folder, "survivors.txt") + "):")
        for line in lines:
            say(line)


def main():
    base, folder, limit, patterns, fixed_timeout = options()
    signal.signal(signal.SIGTERM, signal.default_int_handler)
    signal.signal(signal.SIGHUP, signal.default_int_handler)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "lock"), "w") as lock:
        try:
            fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
        except BlockingIOError:
            sys.exit(f"mutate: another mutation run uses {folder}")
        space = Workspace(folder)
        space.prepare()
        chosen = choose_mutants(base, limit, patterns, space.tree)
        if not chosen:
            say("mutate: nothing to mutate")
            return
        say(f"mutate: building the unmutated copy (output in {space.log})")
        if not space.compile():
            say(read(space.log)[-5000:])
            sys.exit("mutate: the unmutated tree does not build: fix it first")
        graph = coverage.BuildGraph.load(space.build)
        tests = coverage.load_tests(space.build)
        covering = {}
        for path in sorted({m.path for m in chosen}):
            source = os.path.join(space.tree, path)
            if graph.built_from(source):  # else no program of this build holds it
                covering[path] = coverage.covering_tests(graph, tests, source, space.tree) or tests
        needed = [t for t in tests if any(t in chosen_tests for chosen_tests in covering.values())]
        times = baseline(space, needed)
        results = mutate_all(space, chosen, covering, times, fixed_timeout)
    report(folder, results)


def mutate_all(space, chosen, covering, times, fixed_timeout):
    results = []
    kills = {}  # path -> {test name: mutants of that file it killed}
    original = None  # (path in the copy, its text) while a file there is mutated
    started = time.monotonic()
    try:
        for index, mutant in enumerate(chosen, start=1):
            path = os.path.join(space.tree, mutant.path)
            if original and original[0] != path:
                tree_copy.write_text(*original)
                original = None
            if mutant.path not in covering:
                outcome, by = "not built", ""
            else:
                if original is None:
                    with open(path, encoding="utf-8", newline="") as source:
                        original = (path, source.read())
                # The file's new time must be later than that of the objects the last build wrote.
                time.sleep(0.02)
                tree_copy.write_text(path, tree_copy.with_line(original[1], mutant.line,
                                                               mutant.mutated))
                killers = kills.setdefault(mutant.path, {})
                outcome, by = try_mutant(space, covering[mutant.path], times, killers,
                                         fixed_timeout)
                if by:
                    killers[by] = killers.get(by, 0) + 1
            results.append((mutant, outcome, by))
            say(f"[{index}/{len(chosen)}] {mutant.path}:{mutant.line} {mutant.kind}: {outcome}"
                + (f" ({by})" if by else "") + f"  [{time.monotonic() - started:.0f} s]")
    finally:
        if original:
            tree_copy.write_text(*original)
    return results


if __name__ == "__main__":
    try:
        main()
    except KeyboardInterrupt:
        say("\nmutate: interrupted; the copy of the tree holds no mutant")
        sys.exit(130)
