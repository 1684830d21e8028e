# SPDX-License-Identifier: GPL-3.0-or-later
"""The mutation run's copy of the working tree, and the fake PCI tree its tests run over."""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
from mutation import fake_pci, tree_copy  # noqa: E402


@unittest.skipUnless(shutil.which("git"), "needs git")
class SyncTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.repo = os.path.join(self.folder.name, "repo")
        self.copy = os.path.join(self.folder.name, "copy")
        os.makedirs(os.path.join(self.repo, "src"))
        subprocess.run(["git", "-C", self.repo, "init", "-q"], check=True)
        for name, text in (("src/a.cpp", "a"), ("src/b.cpp", "b"), (".gitignore", "/out/\n")):
            self.write(name, text)
        subprocess.run(["git", "-C", self.repo, "add", "."], check=True)

    def tearDown(self):
        self.folder.cleanup()

    def write(self, name, text):
        os.makedirs(os.path.dirname(os.path.join(self.repo, name)), exist_ok=True)
        with open(os.path.join(self.repo, name), "w") as out:
            out.write(text)

    def test_only_what_changed_is_written_and_what_went_goes(self):
        self.assertEqual(tree_copy.sync(self.repo, self.copy), 3)
        kept = os.path.join(self.copy, "src/a.cpp")
        os.utime(kept, ns=(1, 1))
        self.write("src/b.cpp", "B")
        self.write("src/new.h", "n")
        self.write("out/built.o", "ignored")
        os.remove(os.path.join(self.repo, "src/a.cpp"))
        self.write("src/a.cpp", "a")  # the same text, a new time
        with open(os.path.join(self.copy, "src/stale.cpp"), "w") as out:
            out.write("left from an old run")
        self.assertEqual(tree_copy.sync(self.repo, self.copy), 2)
        self.assertEqual(os.stat(kept).st_mtime_ns, 1)
        self.assertEqual(sorted(os.listdir(os.path.join(self.copy, "src"))),
                         ["a.cpp", "b.cpp", "new.h"])
        self.assertFalse(os.path.exists(os.path.join(self.copy, "out")))

    def test_a_mutated_copy_is_restored(self):
        tree_copy.sync(self.repo, self.copy)
        with open(os.path.join(self.copy, "src/a.cpp"), "w") as out:
            out.write("mutant")
        self.assertEqual(tree_copy.sync(self.repo, self.copy), 1)
        with open(os.path.join(self.copy, "src/a.cpp")) as restored:
            self.assertEqual(restored.read(), "a")

    def test_one_line_replaced_keeping_the_rest(self):
        self.assertEqual(tree_copy.with_line("a\r\nb\nc\n", 2, "B"), "a\r\nB\nc\n")


class FakePciTest(unittest.TestCase):
    def test_functions_of_a_dump_with_and_without_domain(self):
        dump = "\n".join([
            "00:1f.3 Audio device: Intel (rev 10)", "00: 86 80 c8 a2 06 00 10 00 10 20 03 04",
            "10: 04 00", "", "0001:02:00.0 Bridge", "00: de 10 ff ff"])
        found = fake_pci.functions(dump)
        self.assertEqual(list(found), ["0000:00:1f.3", "0001:02:00.0"])
        self.assertEqual(bytes(found["0000:00:1f.3"])[:4], b"\x86\x80\xc8\xa2")
        self.assertEqual(len(found["0000:00:1f.3"]), 14)
        with tempfile.TemporaryDirectory() as root:
            fake_pci.write_tree(found, root)
            folder = os.path.join(root, "devices", "0000:00:1f.3")
            with open(os.path.join(folder, "class")) as cls, \
                    open(os.path.join(folder, "device")) as device:
                self.assertEqual((cls.read(), device.read()), ("0x040320\n", "0xa2c8\n"))


if __name__ == "__main__":
    unittest.main()
