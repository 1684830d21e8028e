// SPDX-License-Identifier: GPL-3.0-or-later
// The bus tree beside lspci -t: for each of the tests' dumps and each domain in it, every
// function lspci shows hangs under the same root bus or bridge in the tree, which shows every
// function once; loops of bridges end; and each link is judged by both its ends.
#include "config_space/bus_tree.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iomanip>
#include <regex>
#include <set>
#include <sstream>

#include "config_space/dump_parser.h"
#include "config_space/function_dump.h"
#include "tests/support/run_command.h"

namespace qbus::config_space {
namespace {

using Pairs = std::set<std::pair<std::string, std::string>>;  // parent, child

std::string Hex(uint32_t value, int digits) {
  std::ostringstream text;
  text << std::hex << std::setw(digits) << std::setfill('0') << value;
  return text.str();
}

std::string FunctionId(uint32_t location) {
  return Hex(location >> 8, 2) + ":" + Hex(location >> 3 & 0x1F, 2) + "." +
         std::to_string(location & 7);
}

// lspci -t draws children to the right of their parent, siblings in one column: a token's parent
// is the nearest token to its left still open above it.
Pairs ReadLspciTree(const std::string& text, uint32_t domain) {
  static const std::regex token(
      R"(\[([0-9a-f]{4}):([0-9a-f]{2})\]|([0-9a-f]{2})\.([0-7])(?:-\[([0-9a-f]{2}))?)");
  struct Open {
    long column;
    std::string id;
    int child_bus;
    bool ours;
  };
  Pairs pairs;
  std::vector<Open> stack;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    for (std::sregex_iterator it(line.begin(), line.end(), token), end; it != end; ++it) {
      const std::smatch& match = *it;
      while (!stack.empty() && stack.back().column >= match.position()) stack.pop_back();
      if (match[1].matched) {
        const int bus = std::stoi(match[2].str(), nullptr, 16);
        const bool ours = std::stoul(match[1].str(), nullptr, 16) == domain;
        stack.push_back(
            {match.position(), "[" + match[1].str() + ":" + match[2].str() + "]", bus, ours});
        continue;
      }
      if (stack.empty()) continue;
      const Open& parent = stack.back();
      const uint32_t location = static_cast<uint32_t>(parent.child_bus) << 8 |
                                static_cast<uint32_t>(std::stoi(match[3].str(), nullptr, 16)) << 3 |
                                static_cast<uint32_t>(std::stoi(match[4].str()));
      const std::string id = FunctionId(location);
      if (parent.ours) pairs.insert({parent.id, id});
      const int secondary = match[5].matched ? std::stoi(match[5].str(), nullptr, 16) : -1;
      stack.push_back({match.position(), id, secondary, parent.ours});
    }
  }
  return pairs;
}

// Each function's header fields, and its link read from its bytes.
std::vector<BusFunction> FunctionsOf(const ParsedDump& dump) {
  std::vector<BusFunction> functions;
  for (const auto& [location, image] : dump.functions) {
    const auto& b = image.bytes;
    const ConfigReader read = ReaderOver(b);
    functions.push_back({location, b[0x0E] & 0x7F, b[0x19], b[0x1A],
                         ReadExpressLink(ReadConfigLayout(read), read)});
  }
  return functions;
}

Pairs OurTree(const std::vector<BusFunction>& functions, uint32_t domain) {
  Pairs pairs;
  std::vector<std::string> parents;
  for (const BusTreeLine& line : BuildBusTree(functions)) {
    const std::string id =
        line.function < 0
            ? "[" + Hex(domain, 4) + ":" + Hex(static_cast<uint32_t>(line.bus), 2) + "]"
            : FunctionId(functions[static_cast<size_t>(line.function)].location);
    parents.resize(static_cast<size_t>(line.depth));
    if (!parents.empty()) pairs.insert({parents.back(), id});
    parents.push_back(id);
  }
  return pairs;
}

TEST(BusTree, HangsEveryFunctionWhereLspciDoes) {
  const std::pair<const char*, uint32_t> kDumps[] = {
      {"hierarchy.dump", 0}, {"names.dump", 0},   {"messy.dump", 0},   {"messy.dump", 1},
      {"domains.dump", 0},   {"domains.dump", 1}, {"express.dump", 0}, {"layouts/links.dump", 0},
  };
  for (const auto& [name, domain] : kDumps) {
    SCOPED_TRACE(std::string(name) + " domain " + std::to_string(domain));
    const std::string path = QBUS_TEST_DUMPS "/" + std::string(name);
    const std::string shown = test::RunCommand("lspci -t -F " + path + " 2>/dev/null");
    if (shown.empty()) GTEST_SKIP() << "lspci is not installed";
    std::ifstream in(path);
    const ParsedDump dump =
        ParseDump(std::string(std::istreambuf_iterator<char>(in), {}), name, domain);
    ASSERT_EQ(dump.error, "");
    const Pairs expected = ReadLspciTree(shown, domain);
    EXPECT_FALSE(expected.empty());
    const Pairs ours = OurTree(FunctionsOf(dump), domain);
    for (const auto& pair : expected)
      EXPECT_EQ(ours.count(pair), 1u) << pair.first << " " << pair.second;
    // lspci leaves out a bridge whose secondary bus is its own (0001:00:1c.0 of domains.dump);
    // the tree shows every function once.
    EXPECT_EQ(ours.size(), dump.functions.size());
  }
}

// Bridges that lead back up, or to one bus twice, show each function once and end.
TEST(BusTree, LoopsOfBridgesEnd) {
  const BusFunction looped[] = {
      {0x0000, 1, 1, 1},               // 00:00.0 leads to bus 1
      {0x0100, 1, 0, 0},               // 01:00.0 has no secondary bus
      {0x0108, 1, 1, 1},               // 01:01.0 leads to its own bus
      {0x0110, 1, 2, 2},               // 01:02.0 and 02:00.0 lead to each other's bus
      {0x0200, 1, 1, 1}, {0x0300, 0},  // bus 3: no bridge leads there
  };
  const std::vector<BusTreeLine> lines = BuildBusTree(looped);
  std::vector<std::pair<int, int>> shape;  // depth, function (or -1 - bus)
  for (const BusTreeLine& line : lines)
    shape.push_back({line.depth, line.function < 0 ? -1 - line.bus : line.function});
  const std::vector<std::pair<int, int>> expected = {
      {0, -1}, {1, 0}, {2, 1}, {2, 2}, {2, 3}, {3, 4}, {0, -4}, {1, 5},
  };
  EXPECT_EQ(shape, expected);
}

// Each function of tests/dumps/layouts/links.dump (its comment gives the links) beside its link
// text: where the tree holds both ends, below the lower of their speeds or widths is marked.
TEST(BusTree, LinksAreJudgedByBothEnds) {
  std::ifstream in(QBUS_TEST_DUMPS "/layouts/links.dump");
  const ParsedDump dump = ParseDump(std::string(std::istreambuf_iterator<char>(in), {}), "links");
  ASSERT_EQ(dump.error, "");
  const std::vector<BusFunction> functions = FunctionsOf(dump);
  const std::pair<uint32_t, const char*> kRows[] = {
      // Root port and endpoint, each capable of 8 GT/s x4.
      {0x00E0, "link 8 GT/s x4, running 2.5 GT/s x1 - below what both ends can"},
      {0x0100, "link 8 GT/s x4, running 2.5 GT/s x1 - below what both ends can"},
      // 8 GT/s x4 is all that 8 GT/s x16 and 16 GT/s x4 can together.
      {0x00E4, "link 8 GT/s x16, running 8 GT/s x4"},
      {0x0200, "link 16 GT/s x4, running 8 GT/s x4"},
      // At full speed but one lane of the two both ends have.
      {0x00E8, "link 5 GT/s x2, running 5 GT/s x1 - below what both ends can"},
      {0x00E5, "link 8 GT/s x1, down"},
      // No port above it: x8 may be all its slot has.
      {0x0018, "link 8 GT/s x16, running 8 GT/s x8"},
      {0x0010, ""},  // a root complex integrated endpoint
  };
  for (const auto& [location, text] : kRows) {
    size_t index = 0;
    while (index < functions.size() && functions[index].location != location) ++index;
    ASSERT_LT(index, functions.size()) << FunctionId(location);
    EXPECT_EQ(LinkText(functions, index), text) << FunctionId(location);
  }
}

}  // namespace
}  // namespace qbus::config_space
