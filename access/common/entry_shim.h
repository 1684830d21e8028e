// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>

#include "access/common/config_access.h"

// The bodies of the entry points, shared by the three access libraries (real, elevated and
// simulated): each checks its output pointer and its core (null while the library is not
// initialised), forwards to the core, and turns the result into 1/0 plus the all-ones store of
// a failed read. An exception from the core is a failure too, so none crosses the C boundary.
// `Core` offers ReadConfig, WriteConfig, ReadPort, WritePort and ReadSpace.
namespace qbus::access {

template <typename Core, typename T>
uint32_t ReadConfigEntry(Core* core, uint32_t location, uint32_t offset, T* value) noexcept {
  return StoreRead(value, [&]() -> std::optional<uint32_t> {
    if (core == nullptr) return std::nullopt;
    return core->ReadConfig(location, offset, sizeof(T));
  });
}

template <typename Core, typename T>
uint32_t WriteConfigEntry(Core* core, uint32_t location, uint32_t offset, T value) noexcept {
  return OneOrZero(
      [&] { return core != nullptr && core->WriteConfig(location, offset, sizeof(T), value); });
}

template <typename Core>
uint32_t ReadPortEntry(Core* core, uint32_t port, uint32_t* value) noexcept {
  return StoreRead(value, [&]() -> std::optional<uint32_t> {
    if (core == nullptr) return std::nullopt;
    return core->ReadPort(port);
  });
}

template <typename Core>
uint32_t WritePortEntry(Core* core, uint32_t port, uint32_t value) noexcept {
  return OneOrZero([&] { return core != nullptr && core->WritePort(port, value); });
}

template <typename Core>
uint32_t ReadSpaceEntry(Core* core, uint32_t location, uint8_t* bytes, uint32_t size) noexcept {
  if (core == nullptr || bytes == nullptr) return 0;
  try {
    return core->ReadSpace(location, bytes, size);
  } catch (...) {
    return 0;
  }
}

// A core with ReadSpaces (the elevated one) reads the batch its own way; any other one function
// at a time.
template <typename Core>
uint32_t ReadSpaceBatchEntry(Core* core, const uint32_t* locations, uint32_t count, uint32_t size,
                             uint8_t* bytes, uint32_t* stored) noexcept {
  if (core == nullptr || locations == nullptr || bytes == nullptr || stored == nullptr ||
      count > kLocationCount) {
    return 0;
  }
  try {
    if constexpr (requires { core->ReadSpaces(locations, count, size, bytes, stored); }) {
      return core->ReadSpaces(locations, count, size, bytes, stored);
    } else {
      uint32_t read = 0;
      for (uint32_t i = 0; i < count; ++i) {
        stored[i] = core->ReadSpace(locations[i], bytes + size_t{i} * size, size);
        read += stored[i] != 0;
      }
      return read;
    }
  } catch (...) {
    for (uint32_t i = 0; i < count; ++i) stored[i] = 0;
    return 0;
  }
}

}  // namespace qbus::access
