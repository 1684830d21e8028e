// SPDX-License-Identifier: GPL-3.0-or-later
#include "config_space/dump_parser.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

#include "access/sim/core.h"
#include "config_space/dump_file.h"
#include "tests/support/run_command.h"
#include "tests/support/temp_dir.h"

namespace qbus::access::sim {
namespace {

using namespace config_space;

ParsedDump Parse(const std::string& text) { return ParseDump(text, "test.dump"); }

TEST(DumpParser, ReadsTheShortFormatAndLeavesTheRestAllOnes) {
  const ParsedDump dump = Parse(
      "00:1f.3 Audio device: Some Vendor Audio (rev 10)\n"
      "00: 86 80 48 a3 06 04 10 00 10 00 03 04 00 00 00 00\n"
      "10: 04 40 31 f7 00 00 00 00 00 00 00 00 00 00 00 00\n");
  ASSERT_EQ(dump.error, "");
  ASSERT_EQ(dump.functions.size(), 1u);
  const FunctionImage& f = dump.functions.at(0x00FB);
  ASSERT_EQ(f.bytes.size(), 256u);
  EXPECT_EQ(f.bytes[0x00], 0x86);
  EXPECT_EQ(f.bytes[0x13], 0xF7);
  EXPECT_TRUE(f.held[0x1F]);
  EXPECT_FALSE(f.held[0x20]);
  EXPECT_EQ(f.bytes[0x20], 0xFF);
  EXPECT_EQ(f.bytes[0xFF], 0xFF);
}

TEST(DumpParser, ThreeDigitOffsetsGrowTheFunctionToExtendedSpace) {
  const ParsedDump dump = Parse(
      "01:00.0 Ethernet controller: X\n"
      "00: ec 10 68 81\n"
      "100: 01 00 02 14\n"
      "ff0: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 aa\n"
      "\n"
      "01:00.1 Other: Y\n"
      "00: ec 10 69 81\n");
  ASSERT_EQ(dump.error, "");
  const FunctionImage& big = dump.functions.at(0x0100);
  ASSERT_EQ(big.bytes.size(), 4096u);
  EXPECT_EQ(big.bytes[0x100], 0x01);
  EXPECT_EQ(big.bytes[0x103], 0x14);
  EXPECT_EQ(big.bytes[0xFFF], 0xAA);
  EXPECT_EQ(big.bytes[0x200], 0xFF);
  EXPECT_EQ(dump.functions.at(0x0101).bytes.size(), 256u);
}

TEST(DumpParser, KeepsOnlyDomainZeroAndSkipsWhatIsNotADumpLine) {
  const ParsedDump dump = Parse(
      "Some text from a bug report\r\n"
      "0000:00:00.0 Host bridge: X\r\n"
      "\tSubsystem: Something\r\n"
      "\tFlags: bus master, fast devsel, latency 0\r\n"
      "00: 86 80 30 3e\r\n"
      "0001:00:00.0 Host bridge: in another domain\n"
      "08: \n"  // no byte yet, and no byte kept for another domain's function
      "00: 11 11 11 11\n"
      "10000:02:00.0 Far away\n"
      "00: 22 22 22 22\n"
      "0000:03:1f.7 Last: " +
      std::string(100000, 'x') +
      "\n"
      "00: 01 02 03 04   \n");
  ASSERT_EQ(dump.error, "");
  ASSERT_EQ(dump.functions.size(), 2u);
  EXPECT_EQ(dump.functions.at(0).bytes[0], 0x86);
  EXPECT_EQ(dump.functions.at(0).bytes[3], 0x3E);
  EXPECT_EQ(dump.functions.at(0x03FF).bytes[3], 0x04);
}

TEST(DumpParser, AnEmptyLineEndsAFunction) {
  const ParsedDump dump = Parse("00:00.0 A: B\n00: 86 80\n\n10: 01 02\n");
  ASSERT_EQ(dump.error, "");
  EXPECT_FALSE(dump.functions.at(0).held[0x10]);
}

struct BadDump {
  const char* name;
  const char* text;
  const char* error;
};

constexpr BadDump kBadDumps[] = {
    {"function twice", "00:00.0 A: B\n00: 00\n00:00.0 A: B\n", "test.dump:3: function given twice"},
    {"no function", "just text\n", "test.dump: no PCI function of domain 0"},
    {"only other domains", "0001:00:00.0 A: B\n00: 00\n\n0a000:01:00.0 A: B\n00: 00\n",
     "test.dump: no PCI function of domain 0 (the dump holds domain 1, A000)"},
    {"malformed hex", "00:00.0 A: B\n00: 86 80 zz\n", "test.dump:2: malformed line"},
    {"a bad digit in a full line",
     "00:00.0 A: B\n00: 00 11 22 3g 44 55 66 77 88 99 aa bb cc dd ee ff\n",
     "test.dump:2: malformed line"},
    {"past extended space", "00:00.0 A: B\n1000: 00\n", "test.dump:2: offset beyond 4096 bytes"},
    {"a full line just below 2^32",
     "00:00.0 A: B\nfffffff8: 00 11 22 33 44 55 66 77 88 99 aa bb cc dd ee ff\n",
     "test.dump:2: offset beyond 4096 bytes"},
    {"device 0x20", "00:00.0 A: B\n00: 00\n\n00:20.0 A: B\n",
     "test.dump:4: device 0x20 above 0x1F"},
    {"function 8", "00:1f.8 A: B\n00: 00\n", "test.dump:1: function 8 above 7"},
};

TEST(DumpParser, RefusesWholeDumpsItCannotUse) {
  for (const BadDump& bad : kBadDumps) {
    SCOPED_TRACE(bad.name);
    const ParsedDump dump = Parse(bad.text);
    EXPECT_EQ(dump.error, bad.error);
    EXPECT_TRUE(dump.functions.empty());
  }
}

// A server's dump: the domain to present is chosen, each function keeps its place, and a
// domain's own checks apply to it alone.
TEST(DumpParser, PresentsTheChosenDomain) {
  const char* text =
      "0000:00:00.0 A: B\n00: 86 80 01 00\n\n"
      "0001:02:03.4 A: B\n00: 86 80 02 00\n\n"
      "0002:00:20.0 A: B\n00: 00\n";
  const ParsedDump one = ParseDump(text, "test.dump", 1);
  ASSERT_EQ(one.error, "");
  ASSERT_EQ(one.functions.size(), 1u);
  EXPECT_EQ(one.functions.begin()->first, 0x021Cu);
  EXPECT_EQ(one.functions.begin()->second.bytes[2], 0x02);
  EXPECT_EQ(ParseDump(text, "test.dump", 2).error, "test.dump:7: device 0x20 above 0x1F");
  EXPECT_EQ(ParseDump(text, "test.dump", 3).error,
            "test.dump: no PCI function of domain 3 (the dump holds domain 0, 1, 2)");
  const struct {
    const char* text;
    std::optional<uint32_t> domain;
  } kDomains[] = {{"", 0},        {"1", 1},    {"a000", 0xA000}, {"FFFFF", 0xFFFFF},
                  {"100000", {}}, {"0x1", {}}, {"-1", {}},       {"1 ", {}}};
  for (const auto& [domain_text, domain] : kDomains) {
    EXPECT_EQ(ParseDomain(domain_text), domain) << domain_text;
  }
}

// A file is read in blocks of 1 MiB, and a large one in two halves at once: lines that cross a
// block's end, and a last line without its line feed, come out as from the whole text, and a
// fault is named at its line of the whole file even where either half alone is clean.
TEST(DumpParser, AFileReadInBlocksAndHalvesGivesWhatTheWholeTextGives) {
  std::string text;
  char line[64];
  for (uint32_t location = 0; location < 6000; ++location) {
    std::snprintf(line, sizeof line, "%02x:%02x.%u X\r\n", location >> 8, location >> 3 & 31,
                  location & 7);
    text += line;
    for (int row = 0; row < 16; ++row) {
      std::snprintf(line, sizeof line, "%x0: %02x %02x 5a", row, location & 0xFF, row);
      text += line;
      for (int i = 3; i < 16; ++i) text += " 00";
      text += row < 15 ? "\n" : location < 5999 ? "\n\n" : "";
    }
  }
  test::TempDir dir;
  const auto path = dir.path() / "big.dump";
  const struct {
    const char* tail;
    const char* error;  // after the path
  } kTails[] = {
      {"", ""},
      {"\n00:00.0 X\n", ":108000: function given twice"},  // the first half holds it
      {"\nf0: 00 zz\n", ":108000: malformed line"},
  };
  for (const auto& [tail, error] : kTails) {
    SCOPED_TRACE(tail);
    std::ofstream(path) << text << tail;
    const ParsedDump read = LoadDumpFile(path.string());
    if (*error != 0) {
      EXPECT_EQ(read.error, path.string() + error);
      EXPECT_TRUE(read.functions.empty());
      continue;
    }
    ASSERT_EQ(read.error, "");
    ASSERT_EQ(read.functions.size(), 6000u);
    const ParsedDump whole = ParseDump(text, path.string());
    for (const auto& [location, function] : whole.functions) {
      ASSERT_EQ(read.functions.at(location).bytes, function.bytes) << location;
    }
    EXPECT_EQ(read.functions.at(5999).bytes[0xF2], 0x5A) << "the last line, without its feed";
  }
}

// pciutils reads the same messy dump; every byte it shows must be the byte the loader holds.
TEST(DumpParser, AgreesWithLspciOnAMessyDump) {
  const std::string path = QBUS_TEST_DUMPS "/messy.dump";
  const std::string shown = test::RunCommand("lspci -F " + path + " -xxxx 2>/dev/null");
  if (shown.empty()) GTEST_SKIP() << "lspci is not installed";
  const ParsedDump reference = Parse(shown);
  const ParsedDump ours = LoadDumpFile(path);
  ASSERT_EQ(reference.error, "");
  ASSERT_EQ(ours.error, "");
  ASSERT_EQ(ours.functions.size(), reference.functions.size());
  for (const auto& [location, expected] : reference.functions) {
    SCOPED_TRACE(location);
    ASSERT_EQ(ours.functions.count(location), 1u);
    const FunctionImage& got = ours.functions.at(location);
    EXPECT_EQ(got.bytes.size(), expected.bytes.size());
    for (size_t i = 0; i < expected.bytes.size(); ++i) {
      if (expected.held[i]) {
        EXPECT_EQ(got.bytes[i], expected.bytes[i]) << "byte " << i;
      }
    }
  }
  EXPECT_EQ(ours.functions.at(0x0100).bytes[0xFFF], 0x5A);
}

}  // namespace
}  // namespace qbus::access::sim
