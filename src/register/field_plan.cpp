// SPDX-License-Identifier: GPL-3.0-or-later
#include "register/field_plan.h"

#include <cctype>

#include "text/register_texts.h"

namespace qbus::regs {
namespace {

namespace cs = config_space;

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

uint32_t Bits(int low, int high) {
  const int count = high - low + 1;
  return (count >= 32 ? 0xFFFFFFFFu : (1u << count) - 1) << low;
}

// "bit 16 Correctable Error Detected": a bit of the write, by its register's numbering.
std::string BitNames(const std::vector<cs::RegisterEntry>& entries, uint32_t offset,
                     uint32_t bits) {
  std::string text;
  for (int bit = 0; bit < 32; ++bit) {
    if ((bits >> bit & 1) == 0) continue;
    std::string name;
    int number = bit;
    for (const cs::RegisterEntry& entry : entries) {
      const int64_t at = (int64_t{offset} - entry.offset) * 8 + bit;
      if (at < 0 || at >= entry.size * 8) continue;
      number = static_cast<int>(at);
      for (const cs::FieldName& field : entry.fields) {
        if (at >= field.low && at <= field.high) name = field.name;
      }
    }
    text += (text.empty() ? "" : ", ") + std::string("bit ") + std::to_string(number) +
            (name.empty() ? "" : " " + name);
  }
  return text;
}

std::string MeaningOrValue(const cs::FieldName& field, uint32_t value, uint32_t start,
                           const cs::ShownBytes& shown) {
  const std::string meaning = cs::MeaningOfField(field, value, start, shown);
  return meaning.empty() ? std::to_string(value) : meaning;
}

}  // namespace

std::optional<uint32_t> TypedNumber(std::string typed, uint32_t maximum) {
  while (!typed.empty() && std::isspace(static_cast<unsigned char>(typed.back()))) typed.pop_back();
  size_t start = typed.find_first_not_of(' ');
  if (start == std::string::npos) return std::nullopt;
  typed.erase(0, start);
  int base = 10;
  if (typed.size() > 2 && typed[0] == '0' && (typed[1] == 'x' || typed[1] == 'X')) {
    typed.erase(0, 2);
    base = 16;
  }
  if (typed.empty() || typed.size() > 10) return std::nullopt;
  uint64_t value = 0;
  for (char c : typed) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
    const int digit = std::isdigit(static_cast<unsigned char>(c))
                          ? c - '0'
                          : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
    if (digit >= base) return std::nullopt;
    value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
  }
  if (value > maximum) return std::nullopt;
  return static_cast<uint32_t>(value);
}

GoToTarget FieldTarget(const cs::RegisterEntry& reg) { return TargetOf(reg.offset, reg.size); }

EditPlan FieldPlan(const std::vector<cs::RegisterEntry>& entries, const cs::RegisterEntry& reg,
                   const cs::FieldName& field, uint32_t value, const cs::ShownBytes& context) {
  const GoToTarget target = FieldTarget(reg);
  const int width = WidthBytes(target.width);
  const cs::BitKinds kinds = cs::BitKindsOf(entries, target.offset, width);
  const uint32_t mask = Bits(field.low, field.high);
  const std::string name = field.name;
  const bool clears =
      cs::BitAccess(reg.fields, reg.access, field.low) == cs::Access::kWriteOneToClear;
  const std::string after = MeaningOrValue(field, value, reg.offset, context);
  const uint32_t offset = target.offset;
  cs::ShownBytes shown = context;
  return [=](uint32_t reading) mutable {
    const cs::ComposedWrite composed = cs::ComposeWrite(kinds, reading, mask, value << field.low);
    shown.offset = offset;
    shown.width = width;
    shown.value = reading;
    const uint32_t before = (reading & mask) >> field.low;
    std::string note = clears ? name + ": written 1 to clear it."
                              : name + ": " + MeaningOrValue(field, before, reg.offset, shown) +
                                    " -> " + after + ".";
    if (composed.kept_clear != 0) {
      note +=
          " Written 0 so as not to clear them: " + BitNames(entries, offset, composed.kept_clear) +
          ".";
    }
    return ComposedEdit{composed.value, note};
  };
}

EditPlan AskFieldPlan(ui::WindowLayer& layer, const std::vector<cs::RegisterEntry>& entries,
                      const cs::RegisterEntry& reg, const cs::FieldName& field,
                      const cs::ShownBytes& current) {
  const std::string name = field.name;
  const cs::Access access = cs::BitAccess(reg.fields, reg.access, field.low);
  if (access == cs::Access::kReadOnly || name.starts_with("Reserved")) {
    layer.ShowMessage("Set field", name + " is read-only: a write does not change it.");
    return {};
  }
  if (WidthBytes(FieldTarget(reg).width) < reg.size) {
    layer.ShowMessage("Set field", name + " lies in a register no access width reaches whole.");
    return {};
  }
  const std::optional<uint32_t> now = current.Field(reg.offset, field.low, field.high);
  const std::string now_text =
      now ? " (now " + MeaningOrValue(field, *now, reg.offset, current) + ")" : "";
  // A write-1-to-clear field is only ever cleared: writing 0s does nothing.
  const std::vector<cs::FieldChoice> choices =
      access == cs::Access::kWriteOneToClear
          ? std::vector<cs::FieldChoice>{{cs::FieldMaximum(field), "clear it (write 1s)"}}
          : cs::FieldChoices(field, reg.offset, current);
  std::optional<uint32_t> value;
  if (!choices.empty()) {
    const std::optional<int> key = layer.ChooseFromList(
        "Set field", name + now_text + ":", [&choices](const std::string& typed) {
          std::vector<ui::ListChoice> lines;
          for (const cs::FieldChoice& choice : choices) {
            if (Lower(choice.meaning).find(Lower(typed)) != std::string::npos) {
              lines.push_back({choice.meaning, static_cast<int>(choice.value)});
            }
          }
          return lines;
        });
    if (key) value = static_cast<uint32_t>(*key);
  } else {
    const uint32_t maximum = cs::FieldMaximum(field);
    const std::string range = "a number from 0 to " + std::to_string(maximum);
    const std::optional<std::string> typed = layer.AskForText(
        "Set field", name + now_text + ", " + range + ":", now ? std::to_string(*now) : "",
        [maximum, range](const std::string& text) {
          return TypedNumber(text, maximum) ? std::string() : "Type " + range + " (0x for hex).";
        });
    if (typed) value = TypedNumber(*typed, maximum);
  }
  if (!value) return {};
  return FieldPlan(entries, reg, field, *value, current);
}

EditPlan RestorePlan(const cs::BitKinds& kinds, AccessWidth width, uint32_t wanted,
                     const std::string& what) {
  const uint32_t mask = cs::RestorableBits(kinds, WidthBytes(width));
  return [=](uint32_t reading) {
    const cs::ComposedWrite composed = cs::ComposeWrite(kinds, reading, mask, wanted);
    std::string note = what + ": the bits a write sets back to " +
                       text::HexLiteral(wanted, 2 * WidthBytes(width)) + ".";
    if (composed.kept_clear != 0) {
      note += " Write-1-to-clear bits written 0: " +
              text::HexLiteral(composed.kept_clear, 2 * WidthBytes(width)) + ".";
    }
    return ComposedEdit{composed.value, note};
  };
}

}  // namespace qbus::regs
