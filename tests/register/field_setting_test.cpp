// SPDX-License-Identifier: GPL-3.0-or-later
// What a write composed over a reading sets: the bits asked for, read-only bits as read, and
// write-1-to-clear bits 0, so that nothing set is cleared by accident.
#include "config_space/field_setting.h"

#include <gtest/gtest.h>

#include "register/field_plan.h"

namespace qbus::config_space {
namespace {

struct ComposeRow {
  const char* name;
  BitKinds kinds;
  uint32_t reading, mask, wanted;
  uint32_t value, kept_clear;
};

class Compose : public ::testing::TestWithParam<ComposeRow> {};

TEST_P(Compose, SetsOnlyTheMaskAndKeepsStatusBitsFromClearing) {
  const ComposeRow& row = GetParam();
  const ComposedWrite composed = ComposeWrite(row.kinds, row.reading, row.mask, row.wanted);
  EXPECT_EQ(composed.value, row.value);
  EXPECT_EQ(composed.kept_clear, row.kept_clear);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Compose,
    ::testing::Values(
        // Device Control with Device Status: Max Read Request Size to 512 bytes, the error bits
        // set in the status written 0, its read-only bits as read.
        ComposeRow{"AFieldBesideStatus",
                   {0x00300000, 0x000F0000},
                   0x00195937,
                   0x7000,
                   0x2000,
                   0x00102937,
                   0x00090000},
        // A write-1-to-clear bit asked for on purpose writes exactly its own 1.
        ComposeRow{"ClearingOneStatusBit", {0x30, 0x0F}, 0x19, 0x01, 0x01, 0x11, 0x08},
        // Writing back every bit a write sets, as a restore does, over a whole dword.
        ComposeRow{"AWholeDword", {}, 0x12345679, 0xFFFFFFFF, 0x82345678, 0x82345678, 0}),
    [](const auto& info) { return info.param.name; });

TEST(RestorableBits, AreTheWidthsBitsButReadOnlyAndClearOnOne) {
  EXPECT_EQ(RestorableBits({}, 4), 0xFFFFFFFFu);
  EXPECT_EQ(RestorableBits({0x00300000, 0x000F0000}, 4), 0xFFC0FFFFu);
  EXPECT_EQ(RestorableBits({0x30, 0x0F}, 2), 0xFFC0u);
}

// A dword over a control register and a status register beside it: the status's own kinds
// where the window covers it, bit 0 included; bits no field names are reserved, read-only.
TEST(BitKindsOf, TakeEachBitsFieldWhereTheWindowCoversIt) {
  static constexpr FieldName kStatus[] = {
      {0, 0, "Correctable Error Detected", Access::kWriteOneToClear},
      {1, 1, "Non-Fatal Error Detected", Access::kWriteOneToClear},
      {4, 4, "AUX Power Detected", Access::kReadOnly},
      {5, 7, "Spare"},
  };
  const std::vector<RegisterEntry> entries = {{"Control", 0x80, 2, {}, Access::kReadWrite},
                                              {"Status", 0x82, 2, kStatus, Access::kReadWrite}};
  const BitKinds dword = BitKindsOf(entries, 0x80, 4);
  EXPECT_EQ(dword.clear_on_one, 0x00030000u);
  EXPECT_EQ(dword.read_only, 0xFF1C0000u);
  const BitKinds status = BitKindsOf(entries, 0x82, 2);
  EXPECT_EQ(status.clear_on_one, 0x0003u);
  EXPECT_EQ(status.read_only, 0xFF1Cu);
}

// A count typed for a field of five bits (0 to 31).
struct TypedRow {
  const char* typed;
  std::optional<uint32_t> value;
};

class TypedCount : public ::testing::TestWithParam<TypedRow> {};

TEST_P(TypedCount, IsDecimalOrHexAfter0xAndWithinTheField) {
  EXPECT_EQ(regs::TypedNumber(GetParam().typed, 31), GetParam().value) << GetParam().typed;
}

INSTANTIATE_TEST_SUITE_P(Rows, TypedCount,
                         ::testing::Values(TypedRow{"12", 12u}, TypedRow{" 7 ", 7u},
                                           TypedRow{"0x1F", 31u}, TypedRow{"0X1f", 31u},
                                           TypedRow{"31", 31u}, TypedRow{"32", std::nullopt},
                                           TypedRow{"0x20", std::nullopt},
                                           TypedRow{"1a", std::nullopt},
                                           TypedRow{"0x", std::nullopt}, TypedRow{"", std::nullopt},
                                           TypedRow{"-1", std::nullopt}));

}  // namespace
}  // namespace qbus::config_space
