// SPDX-License-Identifier: GPL-3.0-or-later
// Offsets are listed and named with all their digits, at every size the address selector reaches,
// and each extended capability ends where its ID and fields say.
#include <gtest/gtest.h>

#include "config_space/function_dump.h"
#include "config_space/register_names.h"
#include "register/go_to_register.h"
#include "register/set_value.h"

namespace qbus::regs {
namespace {

TEST(GoToChoices, ATypedOffsetKeepsAllItsDigits) {
  const struct {
    const char* typed;
    const char* line;
    uint32_t offset;
    AccessWidth width;
  } kRows[] = {
      {"8a", "Offset 0x8A", 0x8A, AccessWidth::kWord},
      {"0xfff", "Offset 0xFFF", 0xFFF, AccessWidth::kByte},
      {"1000", "Offset 0x1000", 0x1000, AccessWidth::kDWord},
      {"ffff", "Offset 0xFFFF", 0xFFFF, AccessWidth::kByte},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.typed);
    const std::vector<ui::ListChoice> choices = GoToChoices({}, row.typed);
    ASSERT_EQ(choices.size(), 1u);
    EXPECT_EQ(choices[0].text, row.line);
    EXPECT_EQ(DecodeGoTo(choices[0].key).offset, row.offset);
    EXPECT_EQ(DecodeGoTo(choices[0].key).width, row.width);
  }
  EXPECT_TRUE(GoToChoices({}, "10000").empty()) << "five digits are no offset";
}

// Locations as dumps name them, written out: every field at both ends of its range.
TEST(LocationText, NamesBusDeviceFunctionAndDomain) {
  const struct {
    uint32_t location, domain;
    const char* text;
  } kRows[] = {
      {0x0000, 0, "00:00.0"}, {0x00FF, 0, "00:1f.7"},      {0xFFF8, 0, "ff:1f.0"},
      {0x1234, 0, "12:06.4"}, {0x1234, 1, "0001:12:06.4"}, {0x0010, 0xFFFF, "ffff:00:02.0"},
  };
  for (const auto& row : kRows) {
    EXPECT_EQ(config_space::LocationText(row.location, row.domain), row.text);
  }
}

// Set value takes every value of the width, up to its largest, and nothing wider.
TEST(TypedValue, TakesTheWholeWidthAndNoMore) {
  const struct {
    const char* typed;
    AccessWidth width;
    std::optional<uint32_t> value;
  } kRows[] = {
      {"ff", AccessWidth::kByte, 0xFF},
      {"100", AccessWidth::kByte, std::nullopt},
      {"0xFFFF", AccessWidth::kWord, 0xFFFF},
      {"10000", AccessWidth::kWord, std::nullopt},
      {"ffffffff", AccessWidth::kDWord, 0xFFFFFFFF},
      {"100000000", AccessWidth::kDWord, std::nullopt},
      {" 0 ", AccessWidth::kDWord, 0},
  };
  for (const auto& row : kRows) {
    std::string refusal;
    EXPECT_EQ(ParseTypedValue(row.typed, row.width, &refusal), row.value) << row.typed;
    EXPECT_EQ(refusal.empty(), row.value.has_value()) << row.typed;
  }
}

TEST(RegisterNames, BytesPast4KiBAreNamedAsSuch) {
  std::vector<uint8_t> bytes(0x1000, 0);
  bytes[0] = 0x86;
  bytes[1] = 0x80;
  const config_space::ConfigLayout layout =
      config_space::ReadConfigLayout(config_space::ReaderOver(bytes));
  EXPECT_EQ(config_space::DescribeRegisters(layout, 0x1000, 4),
            "Beyond the 4 KiB configuration space: bytes 0x1000-0x1003");
  EXPECT_EQ(config_space::DescribeRegisters(layout, 0xFFC, 4),
            "Extended configuration space 0xFFC-0xFFF");
}

// A function with a x4 PCI Express link (capability at 0x40) and extended capabilities AER at
// 0x100, Device Serial Number at 0x148 and Secondary PCI Express, the last, at 0x158.
std::vector<uint8_t> ExpressFunction() {
  std::vector<uint8_t> bytes(0x1000, 0);
  const auto put = [&bytes](size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
  };
  put(0x00, 0x12348086);
  put(0x04, 0x00100000);  // a capability list
  put(0x34, 0x40);
  put(0x40, 0x00020010);  // PCI Express, version 2, last
  put(0x4C, 0x00000041);  // Link Capabilities: x4, 2.5 GT/s
  put(0x100, 0x14810001);
  put(0x148, 0x15810003);
  put(0x158, 0x00010019);
  return bytes;
}

TEST(RegisterNames, ExtendedCapabilitiesEndWhereTheirFieldsSay) {
  const config_space::ConfigLayout layout =
      config_space::ReadConfigLayout(config_space::ReaderOver(ExpressFunction()));
  const struct {
    uint32_t offset;
    const char* name;
  } kRows[] = {
      {0x134, "Advanced Error Reporting Error Source Identification (0x134)"},
      {0x138, "Extended configuration space 0x138-0x13B (outside every capability)"},
      {0x14C, "Device Serial Number Serial Number, lower dword (0x14C)"},
      {0x15C, "Secondary PCI Express Link Control 3 (0x15C)"},
      {0x160, "Secondary PCI Express Lane Error Status (0x160)"},
      {0x168, "Secondary PCI Express capability at 0x158, bytes 0x168-0x16B"},
      {0x16C, "Extended configuration space 0x16C-0x16F (outside every capability)"},
      {0xFFC, "Extended configuration space 0xFFC-0xFFF (outside every capability)"},
  };
  for (const auto& row : kRows) {
    EXPECT_EQ(config_space::DescribeRegisters(layout, row.offset, 4), row.name);
  }
}

}  // namespace
}  // namespace qbus::regs
