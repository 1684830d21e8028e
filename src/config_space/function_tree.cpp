// SPDX-License-Identifier: GPL-3.0-or-later
#include "config_space/function_tree.h"

#include <cstring>

#include "config_space/function_dump.h"
#include "config_space/header_offsets.h"
#include "text/register_texts.h"

namespace qbus::config_space {
namespace {

// "Reserved", or a reserved field named for what it once was: "Reserved (Link Training Error)".
bool IsReserved(const char* name) { return std::strncmp(name, "Reserved", 8) == 0; }

std::string Bits(int low, int high) {
  return low == high ? "bit " + std::to_string(low)
                     : "bits " + std::to_string(high) + "-" + std::to_string(low);
}

std::string FieldValue(uint32_t value, int bits) {
  return bits == 1 ? std::to_string(value) : text::HexLiteral(value, (bits + 3) / 4);
}

// A field's part of its register's summary: a set flag by its name, a value by its meaning or,
// without one, its number when not zero.
void AddToSummary(const DecodedLine& field, int bits, uint32_t value, std::string* summary) {
  if (field.access == "reserved" || (bits == 1 && value == 0)) return;
  // A name's hint at its values goes where the value says it: "Memory type (32-bit, 64-bit)".
  std::string part = field.name;
  const size_t hint = part.rfind(" (");
  if (hint != std::string::npos && part.back() == ')' &&
      (part.find(", ", hint) != std::string::npos || part.find(" to ", hint) != std::string::npos ||
       part.find(" or ", hint) != std::string::npos)) {
    part.erase(hint);
  }
  if (!field.meaning.empty()) {
    part += " " + field.meaning;
  } else if (bits > 1 && value != 0) {
    part += " " + field.value;
  } else if (bits > 1) {
    return;
  }
  *summary += (summary->empty() ? "" : ", ") + part;
}

class TreeBuilder {
 public:
  TreeBuilder(std::span<const uint8_t> bytes, const ClassNamer& class_names,
              const IdNamer& id_names)
      : bytes_(bytes),
        read_(ReaderOver({bytes.begin(), bytes.end()})),
        class_names_(class_names),
        id_names_(id_names),
        layout_(ReadConfigLayout(read_)) {}

  std::vector<DecodedLine> Build() {
    Block("Header", 0, "header");
    Registers(CommonHeader(), 0, header::kCommonHeaderEnd);
    Registers(TypeHeader(layout_.header_type), 0, header::HeaderEnd(layout_.header_type));
    for (const CapabilityAt& capability : layout_.capabilities) {
      Block(capability.Title(), capability.offset,
            "capability " + text::OffsetLiteral(capability.offset));
      Registers(capability.registers, capability.offset, CapabilityEnd(layout_, capability));
    }
    return std::move(lines_);
  }

 private:
  void Block(const std::string& name, uint32_t offset, const std::string& key) {
    DecodedLine line;
    line.name = name;
    line.place = text::OffsetLiteral(offset);
    line.key = key;
    line.offset = offset;
    lines_.push_back(std::move(line));
  }

  void Registers(std::span<const RegisterName> table, uint32_t base, uint32_t end) {
    const uint32_t bars_end = header::BarsEnd(layout_.header_type);
    for (const RegisterName& reg : table) {
      const uint32_t start = base + static_cast<uint32_t>(reg.offset);
      const uint32_t size = static_cast<uint32_t>(reg.size);
      if (start + size > end || start + size > bytes_.size()) continue;
      uint32_t value = 0;
      for (uint32_t i = 0; i < size; ++i) value |= uint32_t{bytes_[start + i]} << (8 * i);
      const ShownBytes shown{start, reg.size, value, read_, class_names_, id_names_};
      std::span<const FieldName> fields = reg.fields;
      if (base == 0 && start >= header::kBar0 && start < bars_end) {
        fields = BarFields(layout_.bars[(start - header::kBar0) / 4]);
      }

      DecodedLine line;
      line.depth = 1;
      line.name = reg.name;
      line.place = text::OffsetLiteral(start);
      line.value = text::HexLiteral(value, reg.size * 2);
      line.key = "register " + line.place;
      line.offset = start;
      line.size = reg.size;
      if (fields.empty()) {
        line.access = IsReserved(reg.name) ? "reserved" : AccessName(reg.access);
        const FieldName whole{0, reg.size * 8 - 1, reg.name, reg.access, reg.meaning};
        line.meaning = MeaningOfField(whole, value, start, shown);
      }
      const size_t register_line = lines_.size();
      lines_.push_back(line);
      for (const FieldName& field : fields) {
        const int bits = field.high - field.low + 1;
        const uint32_t mask = bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
        const uint32_t field_value = (value >> field.low) & mask;
        DecodedLine entry;
        entry.depth = 2;
        entry.name = field.name;
        entry.place = Bits(field.low, field.high);
        entry.value = FieldValue(field_value, bits);
        const Access access = field.access != Access::kReadWrite ? field.access : reg.access;
        entry.access = IsReserved(field.name) ? "reserved" : AccessName(access);
        entry.meaning = MeaningOfField(field, field_value, start, shown);
        entry.key = line.key + " " + entry.place;
        entry.offset = start;
        entry.size = reg.size;
        entry.low = field.low;
        entry.high = field.high;
        AddToSummary(entry, bits, field_value, &lines_[register_line].summary);
        lines_.push_back(std::move(entry));
      }
    }
  }

  std::span<const uint8_t> bytes_;
  ConfigReader read_;
  const ClassNamer& class_names_;
  const IdNamer& id_names_;
  ConfigLayout layout_;
  std::vector<DecodedLine> lines_;
};

}  // namespace

std::vector<DecodedLine> DecodeFunction(std::span<const uint8_t> bytes,
                                        const ClassNamer& class_names, const IdNamer& id_names) {
  return TreeBuilder(bytes, class_names, id_names).Build();
}

}  // namespace qbus::config_space
