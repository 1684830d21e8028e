// SPDX-License-Identifier: GPL-3.0-or-later
#include "register/register_map.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "register/register_tables.h"

namespace qbus::regs {
namespace {

constexpr uint32_t kStandardCapabilityLimit = 48;
constexpr uint32_t kExtendedCapabilityLimit = 960;

std::string Hex(uint32_t value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*X", digits, value);
  return text;
}

std::string OffsetText(uint32_t offset) { return Hex(offset, offset < 0x100 ? 2 : 3); }

// A named register found at a byte: its label ("Command (0x04)") and its table entry (null for
// bytes without a table).
struct Place {
  std::string label;
  const RegisterName* table = nullptr;
  uint32_t start = 0;  // the register's first byte
};

const RegisterName* FindIn(std::span<const RegisterName> table, uint32_t relative) {
  for (const RegisterName& entry : table) {
    if (relative >= static_cast<uint32_t>(entry.offset) &&
        relative < static_cast<uint32_t>(entry.offset + entry.size)) {
      return &entry;
    }
  }
  return nullptr;
}

Place InTable(std::span<const RegisterName> table, uint32_t base, uint32_t offset,
              const std::string& prefix) {
  const RegisterName* entry = FindIn(table, offset - base);
  if (entry == nullptr) return {};
  const uint32_t start = base + static_cast<uint32_t>(entry->offset);
  return {prefix + entry->name + " (" + OffsetText(start) + ")", entry, start};
}

// The capability that holds `offset`: the one of its list that starts last at or before it.
const CapabilityAt* CapabilityHolding(const ConfigLayout& layout, uint32_t offset) {
  const bool extended = offset >= 0x100;
  const CapabilityAt* holder = nullptr;
  for (const CapabilityAt& capability : layout.capabilities) {
    if (capability.extended == extended && capability.offset <= offset &&
        (holder == nullptr || capability.offset > holder->offset)) {
      holder = &capability;
    }
  }
  return holder;
}

Place PlaceOf(const ConfigLayout& layout, uint32_t offset) {
  if (offset < 0x10) return InTable(CommonHeader(), 0, offset, "");
  const uint32_t header_end = layout.header_type == 2 ? 0x48 : 0x40;
  if (offset < header_end) {
    Place place = InTable(TypeHeader(layout.header_type), 0, offset, "");
    if (place.table == nullptr && layout.header_type >= 0) {
      place.label =
          "Header type " + std::to_string(layout.header_type) + " byte " + OffsetText(offset);
    }
    if (place.table != nullptr || layout.header_type >= 0) return place;
  }
  if (const CapabilityAt* capability = CapabilityHolding(layout, offset)) {
    const CapabilityName* name = capability->extended ? FindExtendedCapability(capability->id)
                                                      : FindCapability(capability->id);
    const std::string capability_name =
        name != nullptr ? name->name
                        : (capability->extended ? "Extended capability " : "Capability ") +
                              Hex(static_cast<uint32_t>(capability->id), 2);
    if (name != nullptr) {
      Place place = InTable(name->registers, capability->offset, offset, capability_name + " ");
      if (place.table != nullptr) return place;
    }
    return {capability_name + " capability at " + OffsetText(capability->offset) + ", byte " +
            OffsetText(offset)};
  }
  return {(offset < 0x100 ? "Device-specific register " : "Extended configuration space ") +
          OffsetText(offset)};
}

const char* AccessNote(Access access) {
  return access == Access::kReadOnly          ? "read-only"
         : access == Access::kWriteOneToClear ? "write 1 to clear"
                                              : nullptr;
}

}  // namespace

ConfigLayout ReadConfigLayout(const hw::HardwareAccess& access, uint32_t location) {
  ConfigLayout layout;
  uint8_t byte = 0;
  if (access.ReadPciConfigByteEx(location, 0x0E, &byte) == 0) return layout;
  layout.header_type = byte & 0x7F;

  uint16_t status = 0;
  uint8_t pointer = 0;
  const uint32_t list_start = layout.header_type == 2 ? 0x14 : 0x34;
  std::set<uint32_t> seen;
  if (access.ReadPciConfigWordEx(location, 0x06, &status) != 0 && (status & 0x10) != 0 &&
      access.ReadPciConfigByteEx(location, list_start, &pointer) != 0) {
    uint32_t at = pointer & 0xFCu;
    uint16_t header = 0;
    while (at >= 0x40 && at <= 0xFC && seen.insert(at).second &&
           seen.size() <= kStandardCapabilityLimit &&
           access.ReadPciConfigWordEx(location, at, &header) != 0) {
      layout.capabilities.push_back({at, header & 0xFF, false});
      at = (header >> 8) & 0xFCu;
    }
  }

  uint32_t at = 0x100;
  uint32_t header = 0;
  seen.clear();
  while (at >= 0x100 && at <= 0xFFC && seen.insert(at).second &&
         seen.size() <= kExtendedCapabilityLimit &&
         access.ReadPciConfigDwordEx(location, at, &header) != 0 && header != 0 &&
         header != 0xFFFFFFFF) {
    layout.capabilities.push_back({at, static_cast<int>(header & 0xFFFF), true});
    at = (header >> 20) & 0xFFCu;
  }
  return layout;
}

std::string DescribeBit(const ConfigLayout& layout, uint32_t offset, int bit) {
  const Place place = PlaceOf(layout, offset);
  if (place.table == nullptr) return place.label + ", bit " + std::to_string(bit);
  const int number = static_cast<int>(offset - place.start) * 8 + bit;
  std::string text = place.label + ", bit " + std::to_string(number);
  const FieldName* field = nullptr;
  for (const FieldName& candidate : place.table->fields) {
    if (number >= candidate.low && number <= candidate.high) field = &candidate;
  }
  std::string notes;
  const Access own = field != nullptr ? field->access : Access::kReadWrite;
  const char* access = AccessNote(own != Access::kReadWrite ? own : place.table->access);
  if (field != nullptr) {
    text += std::string(": ") + field->name;
    if (field->high > field->low) {
      notes = "bits " + std::to_string(field->high) + "-" + std::to_string(field->low);
    }
  }
  if (access != nullptr) notes += (notes.empty() ? "" : ", ") + std::string(access);
  return notes.empty() ? text : text + " (" + notes + ")";
}

std::string DescribeRegisters(const ConfigLayout& layout, uint32_t offset, int width) {
  std::vector<std::string> labels;
  for (uint32_t byte = offset; byte < offset + static_cast<uint32_t>(width); ++byte) {
    const std::string label = PlaceOf(layout, byte).label;
    if (std::find(labels.begin(), labels.end(), label) == labels.end()) labels.push_back(label);
  }
  std::string text;
  for (size_t i = 0; i < labels.size(); ++i) {
    text += (i == 0 ? "" : i + 1 == labels.size() ? " and " : ", ") + labels[i];
  }
  return text;
}

}  // namespace qbus::regs
