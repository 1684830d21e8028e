// SPDX-License-Identifier: GPL-3.0-or-later
// A write that the access helper refused for want of its record in the system log says so,
// not that the function or the library refused it.
#include <gtest/gtest.h>

#include "register/register_access.h"

namespace qbus::regs {
namespace {

uint32_t state = 0;  // what GetAccessStateEx answers

// A library whose function answers every read, beyond its header too.
hw::HardwareAccess AnsweringLibrary() {
  hw::HardwareAccess access{};
  access.ReadPciConfigWordEx = [](uint32_t, uint32_t, uint16_t* value) -> uint32_t {
    *value = 0x8086;
    return 1;
  };
  access.ReadPciConfigDwordEx = [](uint32_t, uint32_t, uint32_t* value) -> uint32_t {
    *value = 0;
    return 1;
  };
  access.GetAccessStateEx = []() -> uint32_t { return state; };
  return access;
}

TEST(UnrecordedWrite, IsToldFromARefusalOfTheLibrary) {
  const struct {
    const char* name;
    uint32_t state;
    const char* text;
  } kRows[] = {
      {"refused for want of its record", 3,
       "Write refused: the system log does not take the record"},
      {"refused with the helper working", 0, "Write failed: refused by the access library"},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.name);
    state = row.state;
    uint32_t space_size = 0;
    const RegisterTarget target{AccessWidth::kDWord, 0x0010, 0x40, {}};
    EXPECT_EQ(
        WriteFailure(DiagnoseFailure(AnsweringLibrary(), target, true, &space_size), space_size),
        row.text);
  }
}

}  // namespace
}  // namespace qbus::regs
