// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "hw/hardware_access.h"
#include "register/register_access.h"

// Restoring a function from a saved copy: which registers differ from the copy in the bits a
// write sets, and writing one of them back.
namespace qbus::app {

struct RestoreStep {
  uint32_t offset;
  int size;                   // 1, 2 or 4, the register's own access width
  uint32_t wanted;            // the copy's value
  std::string register_name;  // "PCI Express Device Control (0x80)"
};

// The registers of the function in `now` (its current reading) whose read-write bits differ from
// `copy` (`held`: which bytes of it the copy gives; empty: all), by offset. Read-only and
// write-1-to-clear bits are never compared, nor a register the copy does not hold whole.
std::vector<RestoreStep> PlanRestore(const std::vector<uint8_t>& now,
                                     const std::vector<uint8_t>& copy,
                                     const std::vector<bool>& held);

// Writes `step` back to the function at `location` as every write is made (records, read-back,
// journal): read now, the read-write bits set to the copy's, read-only bits as read,
// write-1-to-clear bits 0. What came of it: "0x2937 -> 0x5937, read back 0x5937 (as the copy)",
// "(differs)", "refused", "could not be read".
std::string RestoreRegister(const hw::HardwareAccess& access,
                            const regs::AccessEnvironment& environment, uint32_t location,
                            const RestoreStep& step, const std::vector<uint8_t>& now);

}  // namespace qbus::app
