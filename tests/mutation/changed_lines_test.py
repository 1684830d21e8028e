# SPDX-License-Identifier: GPL-3.0-or-later
"""Which lines a mutation run takes from git: the diff's added lines of the program's and the
libraries' C++ files, untracked files whole, and nothing of tests, benchmarks or fuzzers."""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
from mutation import changed_lines  # noqa: E402


class ParseDiffTest(unittest.TestCase):
    def test_added_lines_of_each_file_and_none_of_removals(self):
        diff = "\n".join([
            "diff --git a/src/a.cpp b/src/a.cpp", "--- a/src/a.cpp", "+++ b/src/a.cpp",
            "@@ -3 +3 @@ x", "-old", "+new",
            "@@ -10,2 +10,0 @@", "-gone", "-gone",
            "@@ -20,0 +21,3 @@", "+a", "+b", "+c",
            "diff --git a/src/b.h b/src/b.h", "--- a/src/b.h", "+++ /dev/null",
            "@@ -1,2 +0,0 @@", "-x", "-y",
            "--- a/src/c.h", "+++ b/src/c.h", "@@ -0,0 +1 @@", "+only"])
        self.assertEqual(changed_lines.parse_diff(diff),
                         {"src/a.cpp": {3, 21, 22, 23}, "src/c.h": {1}})

    def test_patterns_take_globs_and_folders(self):
        self.assertTrue(changed_lines.selected("src/hw/a.cpp", []))
        self.assertTrue(changed_lines.selected("src/hw/a.cpp", ["src/hw"]))
        self.assertTrue(changed_lines.selected("src/hw/a.cpp", ["x.h", "src/*/a.cpp"]))
        self.assertFalse(changed_lines.selected("src/hwx/a.cpp", ["src/hw/"]))


@unittest.skipUnless(shutil.which("git"), "needs git")
class RepositoryTest(unittest.TestCase):
    def git(self, *arguments):
        subprocess.run(["git", "-C", self.repo, *arguments], check=True, capture_output=True)

    def write(self, path, text):
        os.makedirs(os.path.dirname(os.path.join(self.repo, path)), exist_ok=True)
        with open(os.path.join(self.repo, path), "w") as out:
            out.write(text)

    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.repo = self.folder.name
        self.git("init", "-q")
        for path in ("src/a.cpp", "access/b.h", "tests/t.cpp", "bench/b.cpp", "src/notes.txt"):
            self.write(path, "one\ntwo\nthree\n")
        self.git("add", ".")
        self.git("-c", "user.name=t", "-c", "user.email=t@t", "commit", "-qm", "base")

    def tearDown(self):
        self.folder.cleanup()

    def test_working_tree_changes_and_untracked_sources(self):
        for path in ("src/a.cpp", "access/b.h", "tests/t.cpp", "bench/b.cpp", "src/notes.txt"):
            self.write(path, "one\nTWO\nthree\nfour\n")
        self.write("src/new.cpp", "x\ny")
        self.write("fuzz/f.cpp", "x\n")
        self.assertEqual(changed_lines.changed_lines(self.repo, "HEAD"),
                         {"access/b.h": {2, 4}, "src/a.cpp": {2, 4}, "src/new.cpp": {1, 2}})
        self.assertEqual(list(changed_lines.changed_lines(self.repo, "HEAD", ["access/*"])),
                         ["access/b.h"])

    def test_lines_of_a_copy_of_the_tree_not_of_the_checkout(self):
        with tempfile.TemporaryDirectory() as copy:
            shutil.copytree(self.repo, copy, dirs_exist_ok=True,
                            ignore=shutil.ignore_patterns(".git"))
            with open(os.path.join(copy, "src/a.cpp"), "w") as out:
                out.write("one\ntwo\n3\n")
            self.write("src/a.cpp", "changed later\n")
            self.assertEqual(changed_lines.changed_lines(self.repo, "HEAD", work_tree=copy),
                             {"src/a.cpp": {3}})


if __name__ == "__main__":
    unittest.main()
