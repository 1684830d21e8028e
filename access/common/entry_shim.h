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

}  // namespace qbus::access
