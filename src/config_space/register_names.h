// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config_space/capability_walk.h"
#include "config_space/value_meanings.h"

// Names for what a register's bits mean: which header, capability or extended capability holds
// a byte of a function's configuration space (capability_walk.h), and the names of the register
// and bit field there (register_tables.h).
namespace qbus::config_space {

// What bit `bit` (0 to 7) of byte `offset` means, for example
//   "Command (0x04), bit 2: Bus Master Enable"
//   "Status (0x06), bit 10: DEVSEL Timing (bits 10-9, read-only)"
//   "PCI Express Device Status (0x7A), bit 0: Correctable Error Detected (write 1 to clear)"
// with the bit numbered within its register. Given the `shown` bytes, a field whose value has a
// meaning ends with it: "Link Status (0x82), bit 0: Current Link Speed (bits 3-0, read-only) =
// 2.5 GT/s".
std::string DescribeBit(const ConfigLayout& layout, uint32_t offset, int bit,
                        const ShownBytes* shown = nullptr);

// The registers that `width` bytes at `offset` cover, for example "Command (0x04) and Status
// (0x06)"; given the `shown` bytes, followed by what their fields' values mean, one a line:
// "Link Control (0x80) and Link Status (0x82):\nASPM Control = L1\nCurrent Link Speed =
// 2.5 GT/s\nNegotiated Link Width = x16".
std::string DescribeRegisters(const ConfigLayout& layout, uint32_t offset, int width,
                              const ShownBytes* shown = nullptr);

// A register the tables name in a function, for lists: its label ("PCI Express Link Status"),
// its first byte and its size in bytes.
struct RegisterEntry {
  std::string label;
  uint32_t offset;
  int size;
  std::span<const FieldName> fields = {};  // a BAR's by what it holds
  Access access = Access::kReadWrite;      // of its read-write fields, or of the whole register
};

// Every register the function's header and its capabilities name (a capability's only within
// its length), by offset.
std::vector<RegisterEntry> ListRegisters(const ConfigLayout& layout);

}  // namespace qbus::config_space
