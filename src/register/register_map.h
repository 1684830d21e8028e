// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "hw/hardware_access.h"
#include "register/register_tables.h"

// Names for what a register's bits mean: which header, capability or extended capability holds
// a byte of a function's configuration space, found by reading the function's header type and
// following its capability lists through the access library (reads only), and the names of the
// register and bit field there (register_tables.h).
namespace qbus::regs {

struct CapabilityAt {
  uint32_t offset;  // of its first byte
  int id;
  bool extended;  // in the list that starts at 0x100
  // Its length in bytes, from its ID and its own fields; 0 when unknown, and it then reaches to
  // the next capability of its list (or the end of the list's range).
  uint32_t length = 0;
};

// What the names need of one function.
struct ConfigLayout {
  int header_type = -1;                    // bits 6-0 of byte 0x0E; -1 when it could not be read
  std::vector<CapabilityAt> capabilities;  // in the order the lists give them
  std::array<BarKind, 6> bars{};           // what each BAR of the header holds
  // The capability list could not be read because the library reaches only the first 64 bytes
  // (no root): registers past the header cannot be named.
  bool names_need_root = false;
};

// Reads the header type (0x0E) and the BARs; when the status register (0x06) has its capability
// bit, follows the list from the capabilities pointer (0x34, or 0x14 for a CardBus bridge),
// reading the fields that give a capability's length (MSI's Message Control, PCI Express's
// version, a vendor-specific length); then follows the extended list from 0x100. A pointer
// outside its list's range, a capability met before, 48 standard or 960 extended capabilities,
// or a failed read ends a list. Never writes.
ConfigLayout ReadConfigLayout(const hw::HardwareAccess& access, uint32_t location);

// What bit `bit` (0 to 7) of byte `offset` means, for example
//   "Command (0x04), bit 2: Bus Master Enable"
//   "Status (0x06), bit 10: DEVSEL Timing (bits 10-9, read-only)"
//   "PCI Express Device Status (0x7A), bit 0: Correctable Error Detected (write 1 to clear)"
// with the bit numbered within its register.
std::string DescribeBit(const ConfigLayout& layout, uint32_t offset, int bit);

// The registers that `width` bytes at `offset` cover, for example "Command (0x04) and Status
// (0x06)".
std::string DescribeRegisters(const ConfigLayout& layout, uint32_t offset, int width);

}  // namespace qbus::regs
