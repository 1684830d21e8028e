// SPDX-License-Identifier: GPL-3.0-or-later
#include "config_space/register_names.h"

#include <algorithm>

#include "config_space/header_offsets.h"
#include "config_space/value_meanings.h"
#include "text/register_texts.h"

namespace qbus::config_space {
namespace {

std::string OffsetText(uint32_t offset) { return text::OffsetLiteral(offset); }

// What a byte belongs to. A named register has its label ("Command (0x04)"), fields and access;
// a byte without a name belongs to an area ("Device-specific register"), which names one byte
// as `head` + offset + `tail` and a run of them as `heads` + first-last + `tail`.
struct ByteOwner {
  std::string label;
  const RegisterName* table = nullptr;
  std::span<const FieldName> fields;
  uint32_t start = 0;  // the register's first byte
  std::string head, heads, tail;
};

ByteOwner Area(std::string head, std::string heads, uint32_t offset, std::string tail = {}) {
  ByteOwner place;
  place.label = head + " " + OffsetText(offset) + tail;
  place.head = std::move(head);
  place.heads = std::move(heads);
  place.tail = std::move(tail);
  return place;
}

const RegisterName* FindIn(std::span<const RegisterName> table, uint32_t relative) {
  for (const RegisterName& entry : table) {
    if (relative >= static_cast<uint32_t>(entry.offset) &&
        relative < static_cast<uint32_t>(entry.offset + entry.size)) {
      return &entry;
    }
  }
  return nullptr;
}

ByteOwner InTable(std::span<const RegisterName> table, uint32_t base, uint32_t offset,
                  const std::string& prefix) {
  const RegisterName* entry = FindIn(table, offset - base);
  if (entry == nullptr) return {};
  const uint32_t start = base + static_cast<uint32_t>(entry->offset);
  ByteOwner place;
  place.label = prefix + entry->name + " (" + OffsetText(start) + ")";
  place.table = entry;
  place.fields = entry->fields;
  place.start = start;
  return place;
}

// The capability that holds `offset`, if any.
const CapabilityAt* CapabilityHolding(const ConfigLayout& layout, uint32_t offset) {
  const bool extended = offset >= 0x100;
  const CapabilityAt* holder = nullptr;
  for (const CapabilityAt& capability : layout.capabilities) {
    if (capability.extended == extended && capability.offset <= offset &&
        offset < CapabilityEnd(layout, capability) &&
        (holder == nullptr || capability.offset > holder->offset)) {
      holder = &capability;
    }
  }
  return holder;
}

bool HasCapabilities(const ConfigLayout& layout, bool extended) {
  return std::any_of(layout.capabilities.begin(), layout.capabilities.end(),
                     [extended](const CapabilityAt& c) { return c.extended == extended; });
}

ByteOwner InCapability(const CapabilityAt& capability, uint32_t offset) {
  const std::string capability_name = capability.Title();
  if (capability.name != nullptr) {
    ByteOwner place =
        InTable(capability.registers, capability.offset, offset, capability_name + " ");
    if (place.table != nullptr) return place;
  }
  const std::string area = capability_name + " capability at " + OffsetText(capability.offset);
  return Area(area + ", byte", area + ", bytes", offset);
}

ByteOwner OwnerOf(const ConfigLayout& layout, uint32_t offset) {
  if (offset < header::kCommonHeaderEnd) return InTable(CommonHeader(), 0, offset, "");
  if (offset < header::HeaderEnd(layout.header_type)) {
    ByteOwner place = InTable(TypeHeader(layout.header_type), 0, offset, "");
    const bool bar = place.table != nullptr && place.start >= header::kBar0 &&
                     place.start < header::BarsEnd(layout.header_type);
    if (bar) place.fields = BarFields(layout.bars[(place.start - header::kBar0) / 4]);
    if (place.table != nullptr) return place;
    if (layout.header_type >= 0) {
      const std::string head = "Header type " + std::to_string(layout.header_type);
      return Area(head + " byte", head + " bytes", offset);
    }
  }
  if (offset >= 0x1000) {
    return Area("Beyond the 4 KiB configuration space: byte",
                "Beyond the 4 KiB configuration space: bytes", offset);
  }
  if (layout.names_need_root) {
    return Area("Register", "Registers", offset, " (name unknown without root)");
  }
  if (const CapabilityAt* capability = CapabilityHolding(layout, offset)) {
    return InCapability(*capability, offset);
  }
  const bool extended = offset >= 0x100;
  const std::string outside =
      HasCapabilities(layout, extended) ? " (outside every capability)" : "";
  return extended
             ? Area("Extended configuration space", "Extended configuration space", offset, outside)
             : Area("Device-specific register", "Device-specific registers", offset, outside);
}

// "Current Link Speed = 2.5 GT/s": what a field of `place` holds, when its meaning is known
// and all its bits are shown. A register without fields is one field.
std::string FieldMeaning(const ByteOwner& place, const FieldName* field, const ShownBytes* shown) {
  if (shown == nullptr || place.table == nullptr) return {};
  const FieldName whole{0, place.table->size * 8 - 1, place.table->name, place.table->access,
                        place.table->meaning};
  if (field == nullptr) {
    if (!place.fields.empty()) return {};
    field = &whole;
  }
  if (field->meaning == Meaning::kNone && field->values.empty()) return {};
  const std::optional<uint32_t> value = shown->Field(place.start, field->low, field->high);
  if (!value) return {};
  const std::string meaning = MeaningOfField(*field, *value, place.start, *shown);
  return meaning.empty() ? meaning : std::string(field->name) + " = " + meaning;
}

// Read-write is the rule and goes unsaid.
const char* AccessNote(Access access) {
  return access == Access::kReadWrite ? nullptr : AccessName(access);
}

}  // namespace

std::string DescribeBit(const ConfigLayout& layout, uint32_t offset, int bit,
                        const ShownBytes* shown) {
  const ByteOwner place = OwnerOf(layout, offset);
  if (place.table == nullptr) return place.label + ", bit " + std::to_string(bit);
  const int number = static_cast<int>(offset - place.start) * 8 + bit;
  std::string text = place.label + ", bit " + std::to_string(number);
  const FieldName* field = nullptr;
  for (const FieldName& candidate : place.fields) {
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
  if (!notes.empty()) text += " (" + notes + ")";
  const std::string meaning = FieldMeaning(place, field, shown);
  // The field's own name is already there: only its value's meaning follows.
  if (!meaning.empty()) text += meaning.substr(meaning.find(" = "));
  return text;
}

std::string DescribeRegisters(const ConfigLayout& layout, uint32_t offset, int width,
                              const ShownBytes* shown) {
  // Each named register once; a run of unnamed bytes of one area as one range.
  std::vector<std::string> labels, meanings;
  const uint32_t end = offset + static_cast<uint32_t>(width);
  for (uint32_t byte = offset; byte < end;) {
    const ByteOwner place = OwnerOf(layout, byte);
    uint32_t last = byte;
    if (place.table == nullptr && !place.head.empty()) {
      while (last + 1 < end) {
        const ByteOwner next = OwnerOf(layout, last + 1);
        if (next.table != nullptr || next.head != place.head || next.tail != place.tail) break;
        ++last;
      }
    }
    const std::string label =
        last == byte ? place.label
                     : place.heads + " " + OffsetText(byte) + "-" + OffsetText(last) + place.tail;
    if (std::find(labels.begin(), labels.end(), label) == labels.end()) {
      labels.push_back(label);
      for (const FieldName& field : place.fields) {
        const std::string meaning = FieldMeaning(place, &field, shown);
        if (!meaning.empty()) meanings.push_back(meaning);
      }
      const std::string whole = FieldMeaning(place, nullptr, shown);
      if (!whole.empty()) meanings.push_back(whole);
    }
    byte = last + 1;
  }
  std::string text;
  for (size_t i = 0; i < labels.size(); ++i) {
    text += (i == 0 ? "" : i + 1 == labels.size() ? " and " : ", ") + labels[i];
  }
  // One meaning a line: a tooltip of a whole dword stays narrower than the window.
  for (size_t i = 0; i < meanings.size(); ++i) text += (i == 0 ? ":\n" : "\n") + meanings[i];
  return text;
}

std::vector<RegisterEntry> ListRegisters(const ConfigLayout& layout) {
  std::vector<RegisterEntry> entries;
  const uint32_t bars_end = header::BarsEnd(layout.header_type);
  const auto add = [&](std::span<const RegisterName> table, uint32_t base, uint32_t end,
                       const std::string& prefix) {
    for (const RegisterName& reg : table) {
      const uint32_t start = base + static_cast<uint32_t>(reg.offset);
      if (start + static_cast<uint32_t>(reg.size) > end) continue;
      const bool bar = base == 0 && start >= header::kBar0 && start < bars_end;
      entries.push_back({prefix + reg.name, start, reg.size,
                         bar ? BarFields(layout.bars[(start - header::kBar0) / 4]) : reg.fields,
                         reg.access});
    }
  };
  add(CommonHeader(), 0, header::kCommonHeaderEnd, "");
  add(TypeHeader(layout.header_type), 0, header::HeaderEnd(layout.header_type), "");
  for (const CapabilityAt& capability : layout.capabilities) {
    if (capability.name != nullptr) {
      add(capability.registers, capability.offset, CapabilityEnd(layout, capability),
          capability.Title() + " ");
    }
  }
  std::stable_sort(
      entries.begin(), entries.end(),
      [](const RegisterEntry& a, const RegisterEntry& b) { return a.offset < b.offset; });
  return entries;
}

}  // namespace qbus::config_space
