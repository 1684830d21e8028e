// SPDX-License-Identifier: GPL-3.0-or-later
// The exact records of a write, one row per edge of the location, width and outcome.
#include "register/write_record.h"

#include <gtest/gtest.h>

namespace qbus::regs {
namespace {

TEST(WriteRecord, NamesTheLocationWidthAndValuesExactly) {
  const struct {
    RegisterTarget target;
    uint32_t before, value;
    const char* record;
  } kRows[] = {
      {{AccessWidth::kDWord, 0x12FF, 0x0FFC, {}},
       0xFFFFFFFF,
       0x12345678,
       "write 12:1f.7 offset=0x0FFC width=DWord before=0xFFFFFFFF value=0x12345678"},
      {{AccessWidth::kByte, 0x0108, 0x3C, {}},
       0x0B,
       0xFF,
       "write 01:01.0 offset=0x003C width=Byte before=0x0B value=0xFF"},
      {{AccessWidth::kWord, 0xFFF8, 0x04, {}},
       0x0406,
       0x0007,
       "write ff:1f.0 offset=0x0004 width=Word before=0x0406 value=0x0007"},
  };
  for (const auto& [target, before, value, record] : kRows) {
    EXPECT_EQ(FormatWriteIntent(target, before, value), record);
  }
}

TEST(WriteRecord, SaysWhatTheRegisterTookAndHowItWent) {
  const RegisterTarget target{AccessWidth::kWord, 0x0010, 0x04, {}};
  const std::string intent = "write 00:02.0 offset=0x0004 width=Word before=0x0407 value=0x850E";
  const struct {
    bool written;
    std::optional<uint32_t> read_back;
    std::string ending;
  } kRows[] = {
      {true, 0x0506, " after=0x0506 result=ok"},
      {false, 0x0407, " after=0x0407 result=write-failed"},
      {true, std::nullopt, " after=none result=read-back-failed"},
      {false, std::nullopt, " after=none result=write-failed"},
  };
  for (const auto& [written, read_back, ending] : kRows) {
    EXPECT_EQ(FormatWriteOutcome(target, 0x0407, 0x850E, written, read_back), intent + ending);
  }
}

}  // namespace
}  // namespace qbus::regs
