// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace qbus {

// The width of one register access. The value is also the shift that turns an offset-selector
// position into a byte offset (position << width).
enum class AccessWidth : int { kByte = 0, kWord = 1, kDWord = 2 };

// Bits of a register of this width: 8, 16 or 32.
constexpr int WidthBits(AccessWidth width) { return 8 << static_cast<int>(width); }

// Bytes of a register of this width: 1, 2 or 4.
constexpr int WidthBytes(AccessWidth width) { return 1 << static_cast<int>(width); }

// The width's name as the window and the write records show it: "DWord", "Word" or "Byte".
constexpr const char* WidthName(AccessWidth width) {
  return width == AccessWidth::kDWord ? "DWord" : width == AccessWidth::kWord ? "Word" : "Byte";
}

// Mask of the bits a value of this width keeps: 0xFF, 0xFFFF or 0xFFFFFFFF.
constexpr uint32_t WidthMask(AccessWidth width) {
  return width == AccessWidth::kDWord ? 0xFFFFFFFFu : (1u << WidthBits(width)) - 1;
}

}  // namespace qbus
