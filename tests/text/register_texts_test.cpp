// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/register_texts.h"

#include <gtest/gtest.h>

namespace qbus::text {
namespace {

TEST(HexField, ZeroFillsAndKeepsTheFirstDigitsOfAWiderValue) {
  EXPECT_EQ(HexField(0x1F, 2), "1F");
  EXPECT_EQ(HexField(0x3C, 4), "003C");
  EXPECT_EQ(HexField(0xAB, 4), "00AB");
  EXPECT_EQ(HexField(0x00011022, 8), "00011022");
  EXPECT_EQ(HexField(0, 8), "00000000");
  EXPECT_EQ(HexField(0x1234, 2), "12");
}

TEST(BinaryField, GroupsByEightWithSingleBlanks) {
  EXPECT_EQ(BinaryField(0xA5, 8), "10100101");
  EXPECT_EQ(BinaryField(0, 8), "00000000");
  EXPECT_EQ(BinaryField(0x8001, 16), "10000000 00000001");
  EXPECT_EQ(BinaryField(0, 16), "00000000 00000000");
  EXPECT_EQ(BinaryField(0x80000001, 32), "10000000 00000000 00000000 00000001");
  EXPECT_EQ(BinaryField(0x12345678, 32), "00010010 00110100 01010110 01111000");
  EXPECT_EQ(BinaryField(0xFFFFFFFF, 32), "11111111 11111111 11111111 11111111");
}

TEST(BinaryField, EveryWidthHasItsBlanksAtTheSamePlacesForEveryBit) {
  for (int bit = 0; bit < 32; ++bit) {
    const std::string s = BinaryField(int64_t{1} << bit, 32);
    ASSERT_EQ(s.size(), 35u);
    EXPECT_EQ(s[8], ' ');
    EXPECT_EQ(s[17], ' ');
    EXPECT_EQ(s[26], ' ');
    const size_t column = 31 - bit;  // digit column, counted without blanks
    EXPECT_EQ(s[column + column / 8], '1') << "bit " << bit;
  }
}

struct Row {
  const char* name;
  AccessWidth width;
  uint32_t value;
  const char* hex;
  const char* binary;
  const char* decimal;
};

constexpr Row kValueRows[] = {
    {"dword 12345678", AccessWidth::kDWord, 0x12345678, "12345678",
     "00010010 00110100 01010110 01111000", "305419896"},
    {"dword zero", AccessWidth::kDWord, 0, "00000000", "00000000 00000000 00000000 00000000", "0"},
    {"dword all ones", AccessWidth::kDWord, 0xFFFFFFFF, "FFFFFFFF",
     "11111111 11111111 11111111 11111111", "4294967295"},
    {"word 8001", AccessWidth::kWord, 0x8001, "8001", "10000000 00000001", "32769"},
    {"word keeps low half", AccessWidth::kWord, 0xABCD8000, "8000", "10000000 00000000", "32768"},
    {"word a5c3", AccessWidth::kWord, 0xA5C3, "A5C3", "10100101 11000011", "42435"},
    {"byte a5", AccessWidth::kByte, 0xA5, "A5", "10100101", "165"},
    {"byte keeps low byte", AccessWidth::kByte, 0x1FF, "FF", "11111111", "255"},
    {"byte 0b", AccessWidth::kByte, 0x0B, "0B", "00001011", "11"},
};

TEST(RegisterValueTexts, ReducesToTheWidthAndNeverShowsASign) {
  for (const Row& row : kValueRows) {
    SCOPED_TRACE(row.name);
    const ValueTexts texts = RegisterValueTexts(row.value, row.width);
    EXPECT_EQ(texts.hex, row.hex);
    EXPECT_EQ(texts.binary, row.binary);
    EXPECT_EQ(texts.decimal, row.decimal);
  }
}

}  // namespace
}  // namespace qbus::text
