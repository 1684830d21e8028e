// SPDX-License-Identifier: GPL-3.0-or-later
#include "config_space/capability_walk.h"

#include <algorithm>
#include <set>

#include "config_space/header_offsets.h"
#include "text/register_texts.h"

namespace qbus::config_space {
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

// The function's maximum link width (1 to 32 lanes) from its PCI Express capability; 0 when it
// has none.
uint32_t MaximumLanes(const ConfigReader& read, const ConfigLayout& layout) {
  for (const CapabilityAt& capability : layout.capabilities) {
    if (capability.extended || capability.id != 0x10) continue;
    if (const auto link = read(capability.offset + 0x0C, 4)) return (*link >> 4) & 0x3F;
  }
  return 0;
}

// The length of an extended capability from its ID and its own fields; 0 when unknown.
uint32_t ExtendedLength(const ConfigReader& read, const ConfigLayout& layout,
                        const CapabilityAt& capability) {
  if (const CapabilityName* name = FindExtendedCapability(capability.id);
      name && name->length != 0) {
    return name->length;
  }
  const uint32_t at = capability.offset;
  const auto field = [&](uint32_t offset, uint32_t width) { return read(at + offset, width); };
  switch (capability.id) {
    case 0x02:  // Virtual Channel: 12 bytes of resource registers per channel after 0x10
    case 0x09:
      if (const auto vc = field(0x04, 4)) return 0x10 + 0x0C * ((*vc & 7) + 1);
      return 0;
    case 0x0B:  // vendor-specific and designated vendor-specific: their own length field
    case 0x23:
      if (const auto header = field(0x04, 4)) return std::max<uint32_t>(*header >> 20, 8);
      return 0;
    case 0x0D:  // ACS: an egress control vector of as many bits as its size says (0: 256)
      if (const auto acs = field(0x04, 2)) {
        if ((*acs & 0x20) == 0) return 8;
        const uint32_t bits = (*acs >> 8) ? (*acs >> 8) : 256;
        return 8 + 4 * ((bits + 31) / 32);
      }
      return 0;
    case 0x15:  // Resizable BAR and VF Resizable BAR: a capability and control pair per BAR
    case 0x24:
      if (const auto control = field(0x08, 4)) {
        const uint32_t bars = (*control >> 5) & 7;
        return 4 + 8 * std::clamp<uint32_t>(bars, 1, 6);
      }
      return 0;
    case 0x19:  // Secondary PCI Express: a Lane Equalization Control word per lane
      return 0x0C + 2 * MaximumLanes(read, layout);
    case 0x1D:  // DPC: root port extensions add the RP PIO registers and logs
      if (const auto dpc = field(0x04, 2)) return (*dpc & 0x20) != 0 ? 0x5C : 0x0C;
      return 0;
    case 0x26:  // Physical Layer 16.0 GT/s: an equalization byte per lane
      return 0x20 + MaximumLanes(read, layout);
    case 0x27:  // Lane Margining: a control and status dword per lane
      return 0x08 + 4 * MaximumLanes(read, layout);
    case 0x2A:  // Physical Layer 32.0 GT/s: an equalization byte per lane
      return 0x20 + MaximumLanes(read, layout);
    case 0x31:  // Physical Layer 64.0 GT/s: an equalization byte per lane
      return 0x10 + MaximumLanes(read, layout);
    default:
      return 0;
  }
}

void ReadBars(const ConfigReader& read, ConfigLayout* layout) {
  const int count = layout->header_type == 0 ? 6 : layout->header_type == 1 ? 2 : 0;
  bool upper_next = false;
  for (int i = 0; i < count; ++i) {
    const auto bar = read(header::kBar0 + 4 * static_cast<uint32_t>(i), 4);
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

// Names `capability` and picks its registers; a capability the tables do not know has only its
// header. A chosen layout ends the capability after its last register, unless a length is fixed.
void Resolve(const ConfigReader& read, int header_type, CapabilityAt* capability) {
  const CapabilityName* name = capability->extended ? FindExtendedCapability(capability->id)
                                                    : FindCapability(capability->id);
  capability->name = name;
  if (name == nullptr) {
    capability->registers =
        (capability->extended ? FindExtendedCapability(0) : FindCapability(0))->registers;
    return;
  }
  capability->registers = name->registers;
  if (name->choose == nullptr) return;
  capability->registers = name->choose(read, capability->offset, header_type);
  if (name->length == 0 && capability->length == 0) {
    for (const RegisterName& reg : capability->registers) {
      capability->length =
          std::max(capability->length, static_cast<uint32_t>(reg.offset + reg.size));
    }
  }
}

}  // namespace

std::string CapabilityAt::Title() const {
  if (name != nullptr) return name->name;
  return (extended ? "Extended capability " : "Capability ") +
         text::HexLiteral(id, extended ? 4 : 2);
}

ConfigLayout ReadConfigLayout(const ConfigReader& read) {
  ConfigLayout layout;
  const auto header_type = read(header::kHeaderType, 1);
  if (!header_type) return layout;
  layout.header_type = static_cast<int>(*header_type & 0x7F);
  ReadBars(read, &layout);

  const uint32_t list_start =
      layout.header_type == 2 ? header::kCardBusCapabilityList : header::kCapabilityList;
  std::set<uint32_t> seen;
  const auto status = read(header::kStatus, 2);
  const auto pointer =
      status && (*status & header::kStatusCapabilityList) != 0 ? read(list_start, 1) : std::nullopt;
  for (uint32_t at = pointer.value_or(0) & 0xFCu; at >= header::kHeaderEnd && at <= 0xFC &&
                                                  seen.insert(at).second &&
                                                  seen.size() <= kStandardCapabilityLimit;) {
    const auto header = read(at, 2);
    if (!header) {
      layout.names_need_root = layout.capabilities.empty();
      break;
    }
    CapabilityAt capability{at, static_cast<int>(*header & 0xFF), false, 0, nullptr, {}};
    capability.length = StandardLength(read, layout.header_type, capability);
    Resolve(read, layout.header_type, &capability);
    layout.capabilities.push_back(capability);
    at = (*header >> 8) & 0xFCu;
  }
  if (layout.names_need_root) return layout;

  seen.clear();
  for (uint32_t at = header::kExtendedCapabilities; at >= header::kExtendedCapabilities &&
                                                    at <= 0xFFC && seen.insert(at).second &&
                                                    seen.size() <= kExtendedCapabilityLimit;) {
    const auto header = read(at, 4);
    if (!header || *header == 0 || *header == 0xFFFFFFFF) break;
    CapabilityAt capability{at, static_cast<int>(*header & 0xFFFF), true, 0, nullptr, {}};
    capability.length = ExtendedLength(read, layout, capability);
    Resolve(read, layout.header_type, &capability);
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

}  // namespace qbus::config_space
