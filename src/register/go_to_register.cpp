// SPDX-License-Identifier: GPL-3.0-or-later
#include "register/go_to_register.h"

#include <algorithm>
#include <cctype>
#include <sstream>

#include "text/register_texts.h"

namespace qbus::regs {
namespace {

AccessWidth WidthOf(uint32_t offset, int size) {
  if (size == 4 && offset % 4 == 0) return AccessWidth::kDWord;
  if (size == 2 && offset % 2 == 0) return AccessWidth::kWord;
  return AccessWidth::kByte;
}

AccessWidth WidestAligned(uint32_t offset) {
  return offset % 4 == 0   ? AccessWidth::kDWord
         : offset % 2 == 0 ? AccessWidth::kWord
                           : AccessWidth::kByte;
}

// Field keys are negative: -(entry * kFieldsPerEntry + field) - 1.
constexpr size_t kFieldsPerEntry = 64;

int Encode(uint32_t offset, AccessWidth width) {
  return static_cast<int>(offset << 2 | static_cast<uint32_t>(width));
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string OffsetText(uint32_t offset) { return text::OffsetLiteral(offset); }

// `typed` as an offset: one to four hex digits, "0x" in front or not.
std::optional<uint32_t> TypedOffset(std::string typed) {
  typed.erase(std::remove(typed.begin(), typed.end(), ' '), typed.end());
  if (typed.size() > 2 && typed[0] == '0' && (typed[1] == 'x' || typed[1] == 'X')) {
    typed.erase(0, 2);
  }
  if (typed.empty() || typed.size() > 4) return std::nullopt;
  uint32_t offset = 0;
  for (char c : typed) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
    offset = offset << 4 | static_cast<uint32_t>(std::stoi(std::string(1, c), nullptr, 16));
  }
  return offset;
}

}  // namespace

std::vector<ui::ListChoice> GoToChoices(const std::vector<config_space::RegisterEntry>& entries,
                                        const std::string& typed) {
  std::vector<ui::ListChoice> choices;
  const std::optional<uint32_t> offset = TypedOffset(typed);
  if (offset)
    choices.push_back({"Offset " + OffsetText(*offset), Encode(*offset, WidestAligned(*offset))});
  std::vector<std::string> words;
  std::istringstream split(Lower(typed));
  for (std::string word; split >> word;) words.push_back(word);
  for (const config_space::RegisterEntry& entry : entries) {
    const std::string line = entry.label + "  " + OffsetText(entry.offset);
    const bool holds = offset && *offset >= entry.offset &&
                       *offset < entry.offset + static_cast<uint32_t>(entry.size);
    const std::string lower = Lower(line);
    const bool matches = std::all_of(words.begin(), words.end(), [&](const std::string& word) {
      return lower.find(word) != std::string::npos;
    });
    if (holds || matches) {
      choices.push_back({line, Encode(entry.offset, WidthOf(entry.offset, entry.size))});
    }
  }
  if (words.empty()) return choices;
  for (size_t i = 0; i < entries.size(); ++i) {
    const config_space::RegisterEntry& entry = entries[i];
    for (size_t k = 0; k < entry.fields.size(); ++k) {
      const std::string line =
          entry.label + ": " + entry.fields[k].name + "  " + OffsetText(entry.offset);
      const std::string lower = Lower(line);
      if (std::all_of(words.begin(), words.end(), [&](const std::string& word) {
            return lower.find(word) != std::string::npos;
          })) {
        choices.push_back({line, -static_cast<int>(i * kFieldsPerEntry + k) - 1});
      }
    }
  }
  return choices;
}

std::optional<FieldKey> FieldOfKey(int key) {
  if (key >= 0) return std::nullopt;
  const auto index = static_cast<size_t>(-(key + 1));
  return FieldKey{index / kFieldsPerEntry, index % kFieldsPerEntry};
}

GoToTarget TargetOf(uint32_t offset, int size) { return {offset, WidthOf(offset, size)}; }

GoToTarget DecodeGoTo(int key) {
  return {static_cast<uint32_t>(key) >> 2, static_cast<AccessWidth>(key & 3)};
}

}  // namespace qbus::regs
