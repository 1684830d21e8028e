// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/register_texts.h"

#include "text/number_text.h"
#include "text/text_ops.h"

namespace qbus::text {

std::string HexLiteral(int64_t value, int digits) { return "0x" + HexField(value, digits); }

std::string OffsetLiteral(uint32_t offset) {
  return HexLiteral(offset, offset < 0x100 ? 2 : offset < 0x1000 ? 3 : offset < 0x10000 ? 4 : 8);
}

std::string HexField(int64_t value, int digits) {
  return RightJustify(HexText(value), digits, '0');
}

std::string BinaryField(int64_t value, int bits) {
  std::string out = RightJustify(BinaryText(value), bits, '0');
  // Each later position already counts the blanks inserted before it.
  if (bits >= 16) out = InsertText(out, " ", 9);
  if (bits >= 32) {
    out = InsertText(out, " ", 18);
    out = InsertText(out, " ", 27);
  }
  return out;
}

ValueTexts RegisterValueTexts(uint32_t value, AccessWidth width) {
  const int bits = WidthBits(width);
  const int64_t reduced = value & WidthMask(width);
  return {HexField(reduced, bits / 4), BinaryField(reduced, bits), UnsignedDecimal(value, bits)};
}

}  // namespace qbus::text
