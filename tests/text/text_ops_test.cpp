// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/text_ops.h"

#include <gtest/gtest.h>
#include <limits>

namespace qbus::text {
namespace {

TEST(RightJustify, FillsOnTheLeftAndTruncatesKeepingTheFirstCharacters) {
  EXPECT_EQ(RightJustify("AB", 4, '0'), "00AB");
  EXPECT_EQ(RightJustify("12345", 4, '0'), "1234");
  EXPECT_EQ(RightJustify("", 3, '0'), "000");
  EXPECT_EQ(RightJustify("AB", 0, '0'), "");
  EXPECT_EQ(RightJustify("AB", -3, '0'), "");
  EXPECT_EQ(RightJustify("AB", 2, '0'), "AB");
  EXPECT_EQ(RightJustify("7", 3), "  7");
}

TEST(TextSlice, ClampsStartAndLength) {
  EXPECT_EQ(TextSlice("12345678", 5, 4), "5678");
  EXPECT_EQ(TextSlice("12345678", 1, 4), "1234");
  EXPECT_EQ(TextSlice("abc", 0, 2), "ab");
  EXPECT_EQ(TextSlice("abc", -7, 2), "ab");
  EXPECT_EQ(TextSlice("abc", 5, 2), "");
  EXPECT_EQ(TextSlice("abc", 4, 1), "");
  EXPECT_EQ(TextSlice("abc", 2, 10), "bc");
  EXPECT_EQ(TextSlice("abc", 2, -1), "");
  EXPECT_EQ(TextSlice("abc", 3, std::numeric_limits<int32_t>::max()), "c");
  EXPECT_EQ(TextSlice("", 1, 1), "");
}

TEST(InsertText, ClampsThePositionToTheText) {
  EXPECT_EQ(InsertText("abcdef", " ", 3), "ab cdef");
  EXPECT_EQ(InsertText("abcdef", "XY", 0), "XYabcdef");
  EXPECT_EQ(InsertText("abcdef", "XY", 1), "XYabcdef");
  EXPECT_EQ(InsertText("abcdef", "XY", std::numeric_limits<int32_t>::min()), "XYabcdef");
  EXPECT_EQ(InsertText("abcdef", " ", 7), "abcdef ");
  EXPECT_EQ(InsertText("abcdef", " ", 99), "abcdef ");
  EXPECT_EQ(InsertText("", "x", 5), "x");
  EXPECT_EQ(InsertText("ab", "", 2), "ab");
}

}  // namespace
}  // namespace qbus::text
