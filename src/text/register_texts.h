// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

#include "text/access_width.h"

// The fixed-width number fields that every displayed register value and identifier uses.
namespace qbus::text {

// Exactly `digits` uppercase hex digits, zero-filled on the left; a value needing more digits
// keeps its first `digits` ones (HexField(0x1234, 2) gives "12").
std::string HexField(int64_t value, int digits);

// HexField with the "0x" in front: HexLiteral(0x1F, 2) gives "0x1F".
std::string HexLiteral(int64_t value, int digits);

// A configuration-space offset with as many digits as it needs, at least two: "0x8A", "0x100",
// "0x1000".
std::string OffsetLiteral(uint32_t offset);

// `bits` (8, 16 or 32) binary digits, most significant first, zero-filled, cut into groups of
// eight with one blank between groups: 8 gives 8 characters, 16 gives 17, 32 gives 35.
std::string BinaryField(int64_t value, int bits);

// The three texts of one register value at its access width.
struct ValueTexts {
  std::string hex;      // HexField of 2, 4 or 8 digits
  std::string binary;   // BinaryField of 8, 16 or 32 bits
  std::string decimal;  // UnsignedDecimal of the width's low bits
};

// The texts of `value` reduced to `width` (only its low 8, 16 or 32 bits count, unsigned).
ValueTexts RegisterValueTexts(uint32_t value, AccessWidth width);

}  // namespace qbus::text
