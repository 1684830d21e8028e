// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "register/register_access.h"

// The system log's account of one WRITE, so that whoever wrote a register can see afterwards
// what it held and restore it. Two lines per write (config_space/write_record_line.h): one before
// the write is issued and one after the read-back, for example
//   write 00:03.1 offset=0x0040 width=Word before=0x0407 value=0x0406
//   write 00:03.1 offset=0x0040 width=Word before=0x0407 value=0x0406 after=0x0406 result=ok
namespace qbus::regs {

// What a write left: whether the library took it, and what the register held afterwards.
struct WriteOutcome {
  bool written = false;
  std::optional<uint32_t> read_back;
};

// Writes `value` over `before` as every write is made: recorded through `environment` before it
// is issued, the register read back, recorded again, and added to the session's journal.
WriteOutcome WriteRecorded(const hw::HardwareAccess& access, const AccessEnvironment& environment,
                           const RegisterTarget& target, uint32_t before, uint32_t value);

std::string FormatWriteIntent(const RegisterTarget& target, uint32_t before, uint32_t value);

std::string FormatWriteOutcome(const RegisterTarget& target, uint32_t before, uint32_t value,
                               bool written, std::optional<uint32_t> read_back);

}  // namespace qbus::regs
