// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/number_text.h"

#include <bit>

namespace qbus::text {

std::string HexText(int64_t value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  auto bits = static_cast<uint64_t>(value);
  char digits[16];
  size_t first = sizeof digits;
  do {
    digits[--first] = kDigits[bits & 0xF];
    bits >>= 4;
  } while (bits != 0);
  return std::string(digits + first, sizeof digits - first);
}

std::string BinaryText(int64_t value) {
  auto bits = static_cast<uint64_t>(value);
  const int width = bits == 0 ? 1 : 64 - std::countl_zero(bits);
  std::string out(width, '0');
  for (int i = 0; i < width; ++i) {
    if ((bits >> (width - 1 - i)) & 1) out[i] = '1';
  }
  return out;
}

std::string SignedDecimal(int64_t value) {
  // Work on the magnitude as unsigned so the most negative value needs no special case.
  const bool negative = value < 0;
  uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  std::string out;
  do {
    out.insert(out.begin(), static_cast<char>('0' + magnitude % 10));
    magnitude /= 10;
  } while (magnitude != 0);
  if (negative) out.insert(out.begin(), '-');
  return out;
}

std::string UnsignedDecimal(uint32_t value, int width_bits) {
  if (width_bits == 8) value &= 0xFF;
  if (width_bits == 16) value &= 0xFFFF;
  return SignedDecimal(static_cast<int64_t>(value));
}

uint64_t ShiftLeft64(uint64_t value, unsigned count) { return count >= 64 ? 0 : value << count; }

}  // namespace qbus::text
