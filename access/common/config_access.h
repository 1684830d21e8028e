// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>

// Argument checks and result conversions shared by the three access libraries and the root
// helper, so that the width rules live in one place.
namespace qbus::access {

constexpr uint32_t kAddressPort = 0xCF8;
constexpr uint32_t kDataPort = 0xCFC;
constexpr uint32_t kLocationCount = 0x10000;  // bus << 8 | device << 3 | function

// True when an access of `width` bytes (1, 2 or 4) at byte `offset` is aligned to the width and
// lies wholly inside a configuration space of `space_size` bytes.
constexpr bool ConfigAccessValid(uint32_t offset, uint32_t width, uint32_t space_size) {
  const bool known_width = width == 1 || width == 2 || width == 4;
  return known_width && (offset & (width - 1)) == 0 && offset < space_size &&
         width <= space_size - offset;
}

// Little-endian bytes of configuration space to a value, and back.
constexpr uint32_t FromLittleEndian(const uint8_t* bytes, uint32_t width) {
  uint32_t value = 0;
  for (uint32_t i = 0; i < width; ++i) value |= uint32_t{bytes[i]} << (8 * i);
  return value;
}
constexpr void ToLittleEndian(uint32_t value, uint32_t width, uint8_t* bytes) {
  for (uint32_t i = 0; i < width; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}

// Reads a function's configuration space from offset 0 into `bytes`, a dword at a time through
// `read_dword(offset) -> std::optional<uint32_t>`, up to `space_size` or `capacity` bytes or the
// first refused dword (a user's read stops at 64 bytes). The number of bytes read, a multiple
// of 4.
template <typename ReadDword>
uint32_t ReadSpaceByDwords(uint32_t space_size, uint8_t* bytes, uint32_t capacity,
                           ReadDword read_dword) {
  uint32_t done = 0;
  for (; done + 4 <= space_size && done + 4 <= capacity; done += 4) {
    const std::optional<uint32_t> dword = read_dword(done);
    if (!dword) break;
    ToLittleEndian(*dword, 4, bytes + done);
  }
  return done;
}

// The read entry points' contract: null output fails without access, a failed read (one that
// throws included) stores all-ones. `read` is called only with a valid output pointer and
// returns the value or nothing.
template <typename T, typename ReadFn>
uint32_t StoreRead(T* value, ReadFn read) noexcept {
  if (value == nullptr) return 0;
  std::optional<uint32_t> result;
  try {
    result = read();
  } catch (...) {
    result.reset();
  }
  *value = result ? static_cast<T>(*result) : static_cast<T>(~T{0});
  return result ? 1 : 0;
}

// Runs a write or set-up step so that no exception leaves it: one becomes the failure result.
template <typename Step>
uint32_t OneOrZero(Step step) noexcept {
  try {
    return step() ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

}  // namespace qbus::access
