// SPDX-License-Identifier: GPL-3.0-or-later
// Offsets are listed and named with all their digits, at every size the address selector reaches.
#include <gtest/gtest.h>

#include "config_space/function_dump.h"
#include "config_space/register_names.h"
#include "register/go_to_register.h"

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

TEST(RegisterNames, BytesPast4KiBAreNamedAsSuch) {
  std::vector<uint8_t> bytes(0x1000, 0);
  bytes[0] = 0x86;
  bytes[1] = 0x80;
  const cfgspace::ConfigLayout layout = cfgspace::ReadConfigLayout(cfgspace::ReaderOver(bytes));
  EXPECT_EQ(cfgspace::DescribeRegisters(layout, 0x1000, 4),
            "Beyond the 4 KiB configuration space: bytes 0x1000-0x1003");
  EXPECT_EQ(cfgspace::DescribeRegisters(layout, 0xFFC, 4),
            "Extended configuration space 0xFFC-0xFFF");
}

}  // namespace
}  // namespace qbus::regs
