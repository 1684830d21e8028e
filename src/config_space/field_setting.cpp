// SPDX-License-Identifier: GPL-3.0-or-later
#include "config_space/field_setting.h"

namespace qbus::config_space {
namespace {

uint32_t WidthMask(int bits) { return bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1; }

}  // namespace

uint32_t FieldMaximum(const FieldName& field) { return WidthMask(field.high - field.low + 1); }

std::vector<FieldChoice> FieldChoices(const FieldName& field, uint32_t start,
                                      const ShownBytes& shown) {
  const int bits = field.high - field.low + 1;
  const bool encoded = !field.values.empty() || field.meaning != Meaning::kNone;
  std::vector<FieldChoice> choices;
  if (bits == 1 && !encoded) return {{0, "off"}, {1, "on"}};
  if (!encoded || bits > 6) return {};
  for (uint32_t value = 0; value <= FieldMaximum(field); ++value) {
    std::string meaning = MeaningOfField(field, value, start, shown);
    if (meaning.empty() || meaning.starts_with("reserved")) continue;
    choices.push_back({value, std::move(meaning)});
  }
  return choices;
}

BitKinds BitKindsOf(const std::vector<RegisterEntry>& entries, uint32_t offset, int width) {
  BitKinds kinds;
  for (const RegisterEntry& entry : entries) {
    for (int bit = 0; bit < entry.size * 8; ++bit) {
      // The bit's place in the window written, where the register overlaps it.
      const int64_t at = (int64_t{entry.offset} - offset) * 8 + bit;
      if (at < 0 || at >= width * 8) continue;
      const Access access = BitAccess(entry.fields, entry.access, bit);
      if (access == Access::kReadOnly) kinds.read_only |= 1u << at;
      if (access == Access::kWriteOneToClear) kinds.clear_on_one |= 1u << at;
    }
  }
  return kinds;
}

ComposedWrite ComposeWrite(const BitKinds& kinds, uint32_t reading, uint32_t mask,
                           uint32_t wanted) {
  const uint32_t cleared = kinds.clear_on_one & ~mask;
  return {((reading & ~mask) | (wanted & mask)) & ~cleared, reading & cleared};
}

uint32_t RestorableBits(const BitKinds& kinds, int width) {
  return WidthMask(width * 8) & ~kinds.read_only & ~kinds.clear_on_one;
}

}  // namespace qbus::config_space
