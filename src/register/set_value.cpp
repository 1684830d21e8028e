// SPDX-License-Identifier: GPL-3.0-or-later
#include "register/set_value.h"

#include <cctype>

#include "text/register_texts.h"

namespace qbus::regs {

std::optional<uint32_t> ParseTypedValue(const std::string& typed, AccessWidth width,
                                        std::string* refusal) {
  std::string digits = typed;
  while (!digits.empty() && std::isspace(static_cast<unsigned char>(digits.back()))) {
    digits.pop_back();
  }
  digits.erase(0, digits.find_first_not_of(" \t"));
  if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    digits.erase(0, 2);
  }
  bool hex = !digits.empty();
  for (char c : digits) hex = hex && std::isxdigit(static_cast<unsigned char>(c));
  if (!hex) {
    *refusal = "Not a hex value: type hex digits, such as " +
               text::HexLiteral(WidthMask(width), 2 * WidthBytes(width));
    return std::nullopt;
  }
  digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size() - 1));
  const uint64_t value = std::stoull(digits.size() > 8 ? "100000000" : digits, nullptr, 16);
  if (value > WidthMask(width)) {
    *refusal = std::string("Too wide for a ") + WidthName(width) + " register: at most " +
               text::HexLiteral(WidthMask(width), 2 * WidthBytes(width));
    return std::nullopt;
  }
  refusal->clear();
  return static_cast<uint32_t>(value);
}

}  // namespace qbus::regs
