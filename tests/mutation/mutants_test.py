# SPDX-License-Identifier: GPL-3.0-or-later
"""The mutation run's mutants: what each line yields, and what it must leave alone."""

import os
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
from mutation import mutants  # noqa: E402


def in_function(*body):
    return "\n".join(["namespace n {", "int F(int a, int b) {", *body, "}", "}  // namespace n"])


def mutated(text, line=None):
    """{kind: [mutated lines, stripped]} of the file's line `line` (all lines when None)."""
    found = {}
    for m in mutants.file_mutants("f.cpp", text, None if line is None else {line}):
        found.setdefault(m.kind, []).append(m.mutated.strip())
    return found


class OperatorsTest(unittest.TestCase):
    def test_comparisons_and_logic_swap(self):
        found = mutated(in_function("  if (a == b && a < b || a >= 2) return 1;"), 3)
        self.assertIn("if (a != b && a < b || a >= 2) return 1;", found["== -> !="])
        self.assertIn("if (a == b && a <= b || a >= 2) return 1;", found["< -> <="])
        self.assertIn("if (a == b || a < b || a >= 2) return 1;", found["&& -> ||"])
        self.assertIn("if (a == b && a < b && a >= 2) return 1;", found["|| -> &&"])
        self.assertIn("if (a == b && a < b || a > 2) return 1;", found[">= -> >"])

    def test_templates_pointers_references_and_members_stay(self):
        line = "  std::vector<std::map<int, T*>> v = f<int>(a)->g(&b, std::move(c)) ;"
        kinds = set(mutated(in_function(line), 3))
        self.assertFalse({k for k in kinds if k.split(" -> ")[0] in ("<", ">", ">>", "*", "&")},
                         kinds)
        self.assertNotIn("&& -> ||", mutated(in_function("  auto&& x = T&& (y);"), 3))
        self.assertEqual(mutated(in_function("  int c = -a + ++b;"), 3).get("- -> +"), None)
        self.assertNotIn("< -> <=", mutated("template <typename T> T Id(T t) { return t; }"))

    def test_arithmetic_and_bits(self):
        found = mutated(in_function("  x = a * b + (a >> 2) - (b & 0xFF);"), 3)
        self.assertIn("x = a / b + (a >> 2) - (b & 0xFF);", found["* -> /"])
        self.assertIn("x = a * b - (a >> 2) - (b & 0xFF);", found["+ -> -"])
        self.assertIn("x = a * b + (a << 2) - (b & 0xFF);", found[">> -> <<"])
        self.assertIn("x = a * b + (a >> 2) - (b | 0xFF);", found["& -> |"])

    def test_text_joined_or_streamed_stays(self):
        found = mutated(in_function('  s = "a" + name + "b";', '  out << "x" << a;'))
        self.assertNotIn("+ -> -", found)
        self.assertNotIn("<< -> >>", found)


class LiteralsAndCommentsTest(unittest.TestCase):
    def test_nothing_inside_strings_chars_and_comments(self):
        text = in_function(
            '  f("a == b; if (c) return 1;", \'=\');  // x == 1',
            "  /* a < b",
            "     return 2; */ g(a);",
            '  h(R"(x + 1 == "y")");')
        for m in mutants.file_mutants("f.cpp", text):
            self.assertNotIn("==", m.kind, m)
            self.assertNotIn("1 ->", m.kind, m)
            self.assertNotIn("2 ->", m.kind, m)
        self.assertIn("statement dropped", mutated(text, 5))  # g(a) after the comment's end

    def test_preprocessor_lines_and_their_continuations_stay(self):
        text = "#define A(x) \\\n  ((x) + 1)\n#if B == 2\n#endif\n#include <vector>"
        self.assertEqual(mutants.file_mutants("f.h", text), [])

    def test_constants_keep_base_case_and_suffix(self):
        found = mutated(in_function("  x = 0x1F + 10u + 0 + 1'000 + 1.5 + 07;"), 3)
        shown = {k for k in found if k[0].isdigit()}
        self.assertEqual(shown, {"0x1F -> 0x20", "0x1F -> 0x1E", "10u -> 11u", "10u -> 9u",
                                 "0 -> 1", "1'000 -> 1001", "1'000 -> 999", "07 -> 010",
                                 "07 -> 06"})

    def test_booleans_flip(self):
        self.assertEqual(mutated(in_function("  ok = true;"), 3)["true -> false"], ["ok = false;"])


class StatementsTest(unittest.TestCase):
    def test_calls_and_assignments_drop_declarations_do_not(self):
        text = in_function("  int x = 0;", "  const Foo f(a);", "  std::vector<int> v(3);",
                           "  Foo* p = nullptr;", "  x = a;", "  v.push_back(x);",
                           "  *p = 1;", "  (void)b;", "  ns::Call(a);")
        dropped = {m.line for m in mutants.file_mutants("f.cpp", text)
                   if m.kind == "statement dropped"}
        self.assertEqual(dropped, {7, 8, 9, 11})

    def test_a_dropped_statement_leaves_an_unbraced_body(self):
        found = mutated(in_function("  if (a)", "    g(b);", "  h();"), 4)
        self.assertEqual(found["statement dropped"], ["{}"])

    def test_only_function_bodies_drop_statements(self):
        text = "\n".join(["namespace n {", "class C {", " public:", "  C(const C&) = delete;",
                          "  Call(x);", "  void F() const {", "    Use(x);", "  }", "};",
                          "const Entry kTable[] = {", "  {1, [](int x) {", "    Use(x);", "  }},",
                          "};", "Register(x);", "}"])
        dropped = {m.line for m in mutants.file_mutants("f.cpp", text)
                   if m.kind == "statement dropped"}
        self.assertEqual(dropped, {7, 12})

    def test_continued_statements_do_not_drop(self):
        found = mutated(in_function("  g(a,", "    b);", "  x = a +", "      b;"))
        self.assertNotIn("statement dropped", found)

    def test_returns_drop_only_within_an_if(self):
        text = in_function("  if (a) return 1;", "  if (b) {", "    g();", "    return 2;",
                           "  } else {", "    return 3;", "  }", "  for (;;) {",
                           "    return 4;", "  }", "  return 5;")
        dropped = {m.line: m.mutated.strip() for m in mutants.file_mutants("f.cpp", text)
                   if m.kind == "return dropped"}
        self.assertEqual(dropped, {3: "if (a) {}", 6: "{}", 8: "{}"})

    def test_conditions_negate_past_an_initialiser(self):
        found = mutated(in_function("  if (int c = a; c > b) g();", "  if (auto p = f()) g();",
                                    "  if (a &&", "      b) g();"))
        self.assertEqual(found["negated condition"], ["if (int c = a; !(c > b)) g();"])


class SampleTest(unittest.TestCase):
    def setUp(self):
        self.all = [mutants.Mutant("f.cpp", line, f"k{k}", "o", f"m{line}.{k}")
                    for line in range(1, 41) for k in range(3)]

    def test_every_line_before_a_second_of_any(self):
        chosen = mutants.sample(self.all, 50)
        self.assertEqual(len(chosen), 50)
        self.assertEqual({m.line for m in chosen}, set(range(1, 41)))

    def test_few_mutants_spread_over_the_lines_the_same_each_time(self):
        chosen = mutants.sample(self.all, 4)
        self.assertEqual([m.line for m in chosen], [1, 11, 21, 31])
        self.assertEqual(chosen, mutants.sample(list(reversed(self.all)), 4))

    def test_under_the_cap_all_are_taken(self):
        self.assertEqual(len(mutants.sample(self.all, 1000)), len(self.all))


if __name__ == "__main__":
    unittest.main()
