// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The system log's line for one write of a configuration register, written the same way by the
// window (in-process and simulated access) and by the root helper (elevated access), for example
//   write 00:03.1 offset=0x0040 width=Word before=0x0407 value=0x0406 after=0x0406 result=ok
// Values have the width's number of hex digits; `before` and `after` are "none" where that read
// failed. `result` is write-failed when the write was not taken, else read-back-failed when the
// register could not be read back, else ok.
namespace qbus::config_space {

struct RegisterWrite {
  uint32_t location = 0;  // bus << 8 | device << 3 | function
  uint32_t offset = 0;
  uint32_t width = 4;  // in bytes: 1, 2 or 4
  std::optional<uint32_t> before;
  uint32_t value = 0;
};

// The line up to the value written, as recorded before the write is issued: a write that hangs
// the machine is still on record.
std::string WriteIntentLine(const RegisterWrite& write);

// The intent followed by what the register held afterwards and how the write went.
std::string WriteOutcomeLine(const RegisterWrite& write, bool written,
                             std::optional<uint32_t> after);

}  // namespace qbus::config_space
