// SPDX-License-Identifier: GPL-3.0-or-later
// The layouts the bus capabilities choose from their own fields, where lspci shows too little to
// tell: HyperTransport types it only names, vendor-specific data up to the length byte, and
// Enhanced Allocation entries of every size. Each row sits beside its near miss: a length one
// byte short of another dword, a type one bit from another, an entry one dword longer.
#include <gtest/gtest.h>

#include "config_space/function_tree.h"

namespace qbus::config_space {
namespace {

// A function of `header_type` whose only capability, at 0x40, holds `dwords`.
std::vector<uint8_t> Function(int header_type, std::vector<uint32_t> dwords) {
  std::vector<uint8_t> bytes(0x100, 0);
  bytes[0x00] = 0x86;
  bytes[0x01] = 0x80;
  bytes[0x06] = 0x10;
  bytes[0x0E] = static_cast<uint8_t>(header_type);
  bytes[0x34] = 0x40;
  for (size_t i = 0; i < dwords.size(); ++i) {
    for (size_t b = 0; b < 4; ++b)
      bytes[0x40 + 4 * i + b] = static_cast<uint8_t>(dwords[i] >> 8 * b);
  }
  return bytes;
}

// The capability's registers after its ID and next pointer, by name.
std::string Registers(const std::vector<DecodedLine>& tree) {
  std::string names;
  bool in_capability = false;
  for (const DecodedLine& line : tree) {
    if (line.depth == 0) in_capability = line.offset == 0x40 && line.name != "Header";
    if (!in_capability || line.depth != 1 || line.offset < 0x42) continue;
    names += (names.empty() ? "" : "|") + line.name;
  }
  return names;
}

struct LayoutRow {
  const char* name;
  int header_type;
  std::vector<uint32_t> dwords;
  const char* registers;
};

class BusLayouts : public testing::TestWithParam<LayoutRow> {};

TEST_P(BusLayouts, ChooseTheRegistersTheFieldsDescribe) {
  const LayoutRow& row = GetParam();
  EXPECT_EQ(Registers(DecodeFunction(Function(row.header_type, row.dwords))), row.registers);
}

const LayoutRow kLayouts[] = {
    {"PcixDevice", 0, {0x00000007}, "Command|Status"},
    {"PcixBridge",
     1,
     {0x00000007},
     "Secondary Status|Status|Upstream Split Transaction Control|"
     "Downstream Split Transaction Control"},
    // Bits 15-11 = 10000 and 10001: the interrupt index and its dataport, the revision alone.
    {"HtInterrupt", 0, {0x80120008, 0x12345678}, "Command|Dataport"},
    {"HtRevision", 0, {0x88220008}, "Command"},
    {"HtClumping", 0, {0x90000008}, "Command|Clumping Support|Clumping Enable"},
    {"HtMsiMapping", 0, {0xA8010008}, "Command|Mapping Address Lower|Mapping Address Upper"},
    // 001 in bits 15-13 is a host whatever bits 12-11 say.
    {"HtHost",
     0,
     {0x38000008},
     "Command|Link Control|Link Configuration|Revision ID|Link Frequency and Error|"
     "Link Frequency Capability|Feature Capability|Reserved|Enumeration Scratchpad|"
     "Error Handling|Memory Base Upper 8 Bits|Memory Limit Upper 8 Bits|Reserved"},
    {"VendorShortOfADword", 0, {0x000B0009}, "Capability Length|Data|Data"},
    {"VendorTwoDwords", 0, {0x000C0009}, "Capability Length|Data|Data|Data"},
    // A 32-bit entry one dword longer than it needs, then one that needs all it has.
    {"EaBridge",
     1,
     {0x00020014, 0x00000201, 0x80000003, 0x1000, 0x0FFC, 0x77, 0x80000002, 0, 0},
     "Number of Entries|Fixed Bus Numbers|Entry 0 Header|Entry 0 Base|Entry 0 Max Offset|"
     "Entry 0 Reserved|Entry 1 Header|Entry 1 Base|Entry 1 Max Offset"},
    // Only the max offset is 64-bit: its upper half comes first, then a spare dword.
    {"EaMaxOffsetUpper",
     0,
     {0x00410014, 0x80000004, 0x1000, 0x0FFE, 0x1, 0x2},
     "Number of Entries|Entry 0 Header|Entry 0 Base|Entry 0 Max Offset|"
     "Entry 0 Max Offset (upper)|Entry 0 Reserved"},
    {"EaBothUpper",
     0,
     {0x00010014, 0x80000004, 0x1002, 0x0FFE, 0x1, 0x2},
     "Number of Entries|Entry 0 Header|Entry 0 Base|Entry 0 Max Offset|Entry 0 Base (upper)|"
     "Entry 0 Max Offset (upper)"},
};
INSTANTIATE_TEST_SUITE_P(Rows, BusLayouts, testing::ValuesIn(kLayouts),
                         [](const auto& info) { return std::string(info.param.name); });

// The field's meaning in the capability at 0x40.
std::string Meaning(const std::vector<DecodedLine>& tree, const std::string& reg,
                    const std::string& field) {
  bool in_register = false;
  for (const DecodedLine& line : tree) {
    if (line.depth == 1) in_register = line.offset >= 0x40 && line.name == reg;
    if (in_register && line.depth == 2 && line.name == field) return line.meaning;
  }
  return "(none)";
}

// Status bit 3 turns the same rate bits into AGP 3.0 rates; lspci reads them by version.
TEST(BusMeanings, AgpRatesFollowTheMode) {
  EXPECT_EQ(
      Meaning(DecodeFunction(Function(0, {0x00300002, 0x00000003})), "Status", "Rates Supported"),
      "x1, x2");
  EXPECT_EQ(
      Meaning(DecodeFunction(Function(0, {0x00300002, 0x0000000B})), "Status", "Rates Supported"),
      "x4, x8");
}

}  // namespace
}  // namespace qbus::config_space
