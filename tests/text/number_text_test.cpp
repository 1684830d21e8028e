// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/number_text.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <limits>

namespace qbus::text {
namespace {

struct Row {
  const char* name;
  int64_t value;
  const char* hex;
  const char* binary;
  const char* decimal;
};

// Each row pins all three conversions of one value.
constexpr Row kRows[] = {
    {"zero", 0, "0", "0", "0"},
    {"one", 1, "1", "1", "1"},
    {"five", 5, "5", "101", "5"},
    {"byte a5", 0xA5, "A5", "10100101", "165"},
    {"word sign edge", 0x8000, "8000", "1000000000000000", "32768"},
    {"word 8001", 0x8001, "8001", "1000000000000001", "32769"},
    {"dword sign edge", 0x80000000, "80000000", "10000000000000000000000000000000", "2147483648"},
    {"dword all ones", 0xFFFFFFFF, "FFFFFFFF", "11111111111111111111111111111111", "4294967295"},
};

TEST(NumberText, ConvertsEachRowExactly) {
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(HexText(row.value), row.hex);
    EXPECT_EQ(BinaryText(row.value), row.binary);
    EXPECT_EQ(SignedDecimal(row.value), row.decimal);
  }
}

TEST(NumberText, SignedDecimalIsExactAtTheEdgesOfTheRange) {
  EXPECT_EQ(SignedDecimal(-5), "-5");
  EXPECT_EQ(SignedDecimal(-2147483648LL), "-2147483648");
  EXPECT_EQ(SignedDecimal(std::numeric_limits<int64_t>::min()), "-9223372036854775808");
  EXPECT_EQ(SignedDecimal(std::numeric_limits<int64_t>::max()), "9223372036854775807");
}

TEST(NumberText, NegativeValuesGiveTheFullSixtyFourBitPattern) {
  EXPECT_EQ(HexText(-1), "FFFFFFFFFFFFFFFF");
  EXPECT_EQ(BinaryText(-1), std::string(64, '1'));
  EXPECT_EQ(HexText(std::numeric_limits<int64_t>::min()), "8000000000000000");
  EXPECT_EQ(BinaryText(std::numeric_limits<int64_t>::min()), "1" + std::string(63, '0'));
}

TEST(NumberText, UnsignedDecimalKeepsOnlyTheLowBitsOfTheWidth) {
  EXPECT_EQ(UnsignedDecimal(0x1FF, 8), "255");
  EXPECT_EQ(UnsignedDecimal(0x100, 8), "0");
  EXPECT_EQ(UnsignedDecimal(0x12345, 16), "9029");
  EXPECT_EQ(UnsignedDecimal(0xFFFF, 16), "65535");
  EXPECT_EQ(UnsignedDecimal(0x8000, 16), "32768");
  EXPECT_EQ(UnsignedDecimal(0xFFFFFFFF, 32), "4294967295");
  EXPECT_EQ(UnsignedDecimal(0x80000000, 32), "2147483648");
}

TEST(NumberText, ShiftLeft64DropsHighBitsAndGivesZeroFromSixtyFour) {
  EXPECT_EQ(ShiftLeft64(0x3FFF, 2), 0xFFFCu);
  EXPECT_EQ(ShiftLeft64(0x7FFF, 1), 0xFFFEu);
  EXPECT_EQ(ShiftLeft64(1, 63), 0x8000000000000000u);
  EXPECT_EQ(ShiftLeft64(0xC000000000000001, 1), 0x8000000000000002u);
  EXPECT_EQ(ShiftLeft64(1, 64), 0u);
  EXPECT_EQ(ShiftLeft64(~0ull, 255), 0u);
}

}  // namespace
}  // namespace qbus::text
