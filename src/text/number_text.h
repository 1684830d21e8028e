// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

// Number-to-text conversions. None of them fails; each returns a new string of plain ASCII.
namespace qbus::text {

// Uppercase hexadecimal digits of the 64-bit two's-complement pattern, without leading zeros
// and without prefix: 0 gives "0", 0xAB gives "AB", -1 gives sixteen "F".
std::string HexText(int64_t value);

// Binary digits from the highest set bit down to bit 0: 0 gives "0", 5 gives "101".
// A negative value gives all 64 bits.
std::string BinaryText(int64_t value);

// Decimal digits, "-" in front of a negative value, exact over the whole 64-bit range.
std::string SignedDecimal(int64_t value);

// Unsigned decimal of the low `width_bits` bits of `value` (8, 16 or 32; any other width keeps
// all 32): 0x1FF at 8 gives "255", 0xFFFFFFFF at 32 gives "4294967295". Never negative.
std::string UnsignedDecimal(uint32_t value, int width_bits);

// `value` shifted left by `count` places; counts of 64 and more give 0.
uint64_t ShiftLeft64(uint64_t value, unsigned count);

}  // namespace qbus::text
