// SPDX-License-Identifier: GPL-3.0-or-later
#include "config_space/capability_walk.h"

#include <algorithm>
#include <set>

namespace qbus::cfgspace {
namespace {

constexpr uint32_t kStandardCapabilityLimit = 48;
constexpr uint32_t kExtendedCapabilityLimit = 960;

// The length of a standard capability whose own fields decide it; 0 when unknown.
uint32_t StandardLength(const ConfigReader& read, int header_type, const CapabilityAt& capability) {
  if (const CapabilityName* name = FindCapability(capability.id); name && name->length != 0) {
    return name->length;
  }
  const uint32_t at = capability.offset;
  switch (capability.id) {
    case 0x05:  // MSI: 64-bit addresses (bit 7) and per-vector masking (bit 8) add registers
      if (const auto control = read(at + 2, 2)) {
        return 0x0A + ((*control & 0x80) != 0 ? 4 : 0) + ((*control & 0x100) != 0 ? 0x0A : 0);
      }
      return 0;
    case 0x07:  // PCI-X: a bridge's registers are twice a device's
      return header_type == 1 ? 16 : 8;
    case 0x09:  // vendor-specific: its own length byte
      if (const auto length = read(at + 2, 1)) return std::max<uint32_t>(*length, 3);
      return 0;
    case 0x10:  // PCI Express: version 2 and later add the second set of registers
      if (const auto capabilities = read(at + 2, 2))
        return (*capabilities & 0xF) >= 2 ? 0x3C : 0x24;
      return 0;
    default:
      return 0;
  }
}

uint32_t ExtendedLength(const ConfigReader& read, const CapabilityAt& capability) {
  if (const CapabilityName* name = FindExtendedCapability(capability.id);
      name && name->length != 0) {
    return name->length;
  }
  // Vendor-specific and designated vendor-specific: the length in their second dword.
  if (capability.id == 0x0B || capability.id == 0x23) {
    if (const auto header = read(capability.offset + 4, 4))
      return std::max<uint32_t>(*header >> 20, 8);
  }
  return 0;
}

void ReadBars(const ConfigReader& read, ConfigLayout* layout) {
  const int count = layout->header_type == 0 ? 6 : layout->header_type == 1 ? 2 : 0;
  bool upper_next = false;
  for (int i = 0; i < count; ++i) {
    const auto bar = read(0x10 + 4 * static_cast<uint32_t>(i), 4);
    if (!bar) {
      upper_next = false;
      continue;
    }
    const BarKind kind = upper_next        ? BarKind::kUpperHalf
                         : (*bar & 1) != 0 ? BarKind::kIo
                                           : BarKind::kMemory;
    layout->bars[static_cast<size_t>(i)] = kind;
    upper_next = kind == BarKind::kMemory && (*bar & 0x6) == 0x4;
  }
}

}  // namespace

ConfigLayout ReadConfigLayout(const ConfigReader& read) {
  ConfigLayout layout;
  const auto header_type = read(0x0E, 1);
  if (!header_type) return layout;
  layout.header_type = static_cast<int>(*header_type & 0x7F);
  ReadBars(read, &layout);

  const uint32_t list_start = layout.header_type == 2 ? 0x14 : 0x34;
  std::set<uint32_t> seen;
  const auto status = read(0x06, 2);
  const auto pointer = status && (*status & 0x10) != 0 ? read(list_start, 1) : std::nullopt;
  for (uint32_t at = pointer.value_or(0) & 0xFCu; at >= 0x40 && at <= 0xFC &&
                                                  seen.insert(at).second &&
                                                  seen.size() <= kStandardCapabilityLimit;) {
    const auto header = read(at, 2);
    if (!header) {
      layout.names_need_root = layout.capabilities.empty();
      break;
    }
    CapabilityAt capability{at, static_cast<int>(*header & 0xFF), false};
    capability.length = StandardLength(read, layout.header_type, capability);
    layout.capabilities.push_back(capability);
    at = (*header >> 8) & 0xFCu;
  }
  if (layout.names_need_root) return layout;

  seen.clear();
  for (uint32_t at = 0x100; at >= 0x100 && at <= 0xFFC && seen.insert(at).second &&
                            seen.size() <= kExtendedCapabilityLimit;) {
    const auto header = read(at, 4);
    if (!header || *header == 0 || *header == 0xFFFFFFFF) break;
    CapabilityAt capability{at, static_cast<int>(*header & 0xFFFF), true};
    capability.length = ExtendedLength(read, capability);
    layout.capabilities.push_back(capability);
    at = (*header >> 20) & 0xFFCu;
  }
  return layout;
}

uint32_t CapabilityEnd(const ConfigLayout& layout, const CapabilityAt& capability) {
  if (capability.length != 0) return capability.offset + capability.length;
  uint32_t end = capability.extended ? 0x1000 : 0x100;
  for (const CapabilityAt& other : layout.capabilities) {
    if (other.extended == capability.extended && other.offset > capability.offset) {
      end = std::min(end, other.offset);
    }
  }
  return end;
}

}  // namespace qbus::cfgspace
