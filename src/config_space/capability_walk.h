// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "config_space/register_tables.h"

// Where a function's registers lie: its header type, what its BARs hold, and its capabilities
// with their extents, found by reading (never writing) its configuration space.
namespace qbus::config_space {

struct CapabilityAt {
  uint32_t offset;  // of its first byte
  int id;
  bool extended;  // in the list that starts at 0x100
  // Its length in bytes, from its ID and its own fields; 0 when unknown, and it then reaches to
  // the next capability of its list (or the end of the list's range).
  uint32_t length = 0;
  const CapabilityName* name = nullptr;     // null: no capability of this ID is known
  std::span<const RegisterName> registers;  // what this one holds; its header when unknown
  // "MSI", or "Capability 0x42" for one without a name.
  std::string Title() const;
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
// or a failed read ends a list. Only reads.
ConfigLayout ReadConfigLayout(const ConfigReader& read);

// The byte after `capability`'s last: its own length, or else the next capability of its list,
// or the end of the list's range (0x100 or 0x1000).
uint32_t CapabilityEnd(const ConfigLayout& layout, const CapabilityAt& capability);

}  // namespace qbus::config_space
