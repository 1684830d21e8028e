# SPDX-License-Identifier: GPL-3.0-or-later
"""Which tests a mutation run tries a mutant against: read from a small build graph as CMake
writes it for Ninja, and the tests' commands."""

import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
from mutation import coverage  # noqa: E402

BUILD_NINJA = """\
build lib/CMakeFiles/core.dir/core.cpp.o: CXX_COMPILER__core_Debug /src/lib/core.cpp || \
cmake_object_order_depends_target_core
build lib/libcore.a: CXX_STATIC_LIBRARY_LINKER__core_Debug lib/CMakeFiles/core.dir/core.cpp.o
build sim/CMakeFiles/sim.dir/exports.cpp.o: CXX_COMPILER__sim_Debug /src/sim/exports.cpp
build sim/libsim.so: CXX_SHARED_LIBRARY_LINKER__sim_Debug sim/CMakeFiles/sim.dir/exports.cpp.o \
| lib/libcore.a
build bin/core_test: CXX_EXECUTABLE_LINKER__core_test_Debug t.o | lib/libcore.a
build bin/ui_test: CXX_EXECUTABLE_LINKER__ui_test_Debug u.o || sim/libsim.so
build bin/other_test: CXX_EXECUTABLE_LINKER__other_test_Debug o.o
build bin/my$ program: CXX_EXECUTABLE_LINKER__program_Debug p.o | lib/libcore.a
"""

DEPS = """\
lib/CMakeFiles/core.dir/core.cpp.o: #deps 2, deps mtime 1 (VALID)
    /src/lib/core.cpp
    /src/lib/core.h

u.o: #deps 1, deps mtime 1 (VALID)
    /src/ui/ui.h
"""


class BuildGraphTest(unittest.TestCase):
    def setUp(self):
        self.graph = coverage.BuildGraph("/build", BUILD_NINJA, DEPS)

    def test_a_header_reaches_what_links_its_objects(self):
        self.assertEqual(self.graph.built_from("/src/lib/core.h") & self.graph.linked,
                         {"/build/sim/libsim.so", "/build/bin/core_test", "/build/bin/ui_test",
                          "/build/bin/my program"})

    def test_nothing_is_built_from_a_file_no_build_reads(self):
        self.assertEqual(self.graph.built_from("/src/unused.h"), set())

    def test_escaped_spaces_and_continued_lines(self):
        outputs = [o for o, _, _ in coverage.parse_build_lines("build a$ b c: r x$\n  y | z\n")]
        self.assertEqual(outputs, [["a b", "c"]])
        self.assertEqual(list(coverage.parse_build_lines("build o: r x$\n  y | z\n"))[0][2],
                         ["xy", "z"])


class CoveringTestsTest(unittest.TestCase):
    def setUp(self):
        self.source = tempfile.TemporaryDirectory()
        root = self.source.name
        with open(os.path.join(root, "runs_program.sh"), "w") as out:
            out.write('build=$1\n"$build/bin/my program" --check\n')
        with open(os.path.join(root, "demo.sh"), "w") as out:
            out.write('exec "$2/scripts/launch" "$1"\n')
        os.makedirs(os.path.join(root, "scripts"))
        with open(os.path.join(root, "scripts", "launch"), "w") as out:
            out.write('LD_LIBRARY_PATH="$1/sim" "$1/bin/ui_test"\n')
        with open(os.path.join(root, "lint.sh"), "w") as out:
            out.write("grep -r core.h src\n")
        self.graph = coverage.BuildGraph("/build", BUILD_NINJA, DEPS)
        self.tests = [
            coverage.Test(1, "core_test", ["/build/bin/core_test"]),
            coverage.Test(2, "ui_test", ["/build/bin/ui_test"]),
            coverage.Test(3, "other_test", ["/build/bin/other_test"]),
            coverage.Test(4, "program", [os.path.join(root, "runs_program.sh"), "/build"]),
            coverage.Test(5, "demo", [os.path.join(root, "demo.sh"), "/build", root]),
            coverage.Test(6, "lint", [os.path.join(root, "lint.sh"), root]),
            coverage.Test(7, "exports", ["/usr/bin/sh", "-c", "nm -D /build/sim/libsim.so"]),
        ]

    def tearDown(self):
        self.source.cleanup()

    def covering(self, source):
        return [t.name for t in coverage.covering_tests(self.graph, self.tests, source,
                                                        self.source.name)]

    def test_binaries_linking_it_scripts_running_them_but_no_source_check(self):
        self.assertEqual(self.covering("/src/lib/core.h"),
                         ["core_test", "ui_test", "program", "demo", "exports"])

    def test_a_file_of_one_binary_only(self):
        self.assertEqual(self.covering("/src/ui/ui.h"), ["ui_test", "demo"])


if __name__ == "__main__":
    unittest.main()
