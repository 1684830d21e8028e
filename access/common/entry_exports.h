// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>

#include "access/common/entry_points.h"
#include "access/common/entry_shim.h"

// The entry points of every access library, written once: QBUS_DEFINE_ENTRY_POINTS(Library)
// defines the ten and the whole-function reads over `Library`, which gives
//   Library::Core                     the core (ReadConfig, WriteConfig, ReadPort, WritePort,
//                                     ReadSpace; see entry_shim.h);
//   static bool Start(std::unique_ptr<Core>& core)
//                                     makes the core and sets it up; false when it cannot work;
//   static void Note(Core& core, const char* name, std::initializer_list<uint32_t> arguments,
//                    std::optional<uint32_t> result, std::optional<uint32_t> value)
//                                     what the library keeps of each call made while it has a
//                                     core (the simulated machine's trace; nothing elsewhere).
//
// The C interface forces one piece of process-wide state per library: Entries<Library>::core,
// made by InitializeOls (which always starts afresh) and released by DeinitializeOls. Every
// entry point fails cleanly while it is empty.
namespace qbus::access {

// What every library's core offers the entry points, stated once.
template <typename Core>
concept AccessCore = requires(Core& core, uint32_t number, uint8_t* bytes) {
  { core.ReadConfig(number, number, number) } -> std::same_as<std::optional<uint32_t>>;
  { core.WriteConfig(number, number, number, number) } -> std::same_as<bool>;
  { core.ReadPort(number) } -> std::same_as<std::optional<uint32_t>>;
  { core.WritePort(number, number) } -> std::same_as<bool>;
  { core.ReadSpace(number, bytes, number) } -> std::same_as<uint32_t>;
};

template <typename Library>
struct Entries {
  using Core = typename Library::Core;
  static_assert(AccessCore<Core>);
  static inline std::unique_ptr<Core> core;

  static void Note(const char* name, std::initializer_list<uint32_t> arguments,
                   std::optional<uint32_t> result, std::optional<uint32_t> value = std::nullopt) {
    if (core) Library::Note(*core, name, arguments, result, value);
  }

  static uint32_t Initialize() noexcept {
    core.reset();
    const uint32_t result = OneOrZero([] { return Library::Start(core); });
    Note("InitializeOls", {}, result);
    if (result == 0) core.reset();
    return result;
  }

  static void Deinitialize() noexcept {
    Note("DeinitializeOls", {}, std::nullopt);
    core.reset();
  }

  template <typename T>
  static uint32_t ReadConfig(const char* name, uint32_t location, uint32_t offset,
                             T* value) noexcept {
    const uint32_t result = ReadConfigEntry(core.get(), location, offset, value);
    Note(name, {location, offset}, result, value ? std::optional<uint32_t>(*value) : std::nullopt);
    return result;
  }

  template <typename T>
  static uint32_t WriteConfig(const char* name, uint32_t location, uint32_t offset,
                              T value) noexcept {
    const uint32_t result = WriteConfigEntry(core.get(), location, offset, value);
    Note(name, {location, offset, value}, result);
    return result;
  }

  static uint32_t ReadPort(uint32_t port, uint32_t* value) noexcept {
    const uint32_t result = ReadPortEntry(core.get(), port, value);
    Note("ReadIoPortDwordEx", {port}, result,
         value ? std::optional<uint32_t>(*value) : std::nullopt);
    return result;
  }

  static uint32_t WritePort(uint32_t port, uint32_t value) noexcept {
    const uint32_t result = WritePortEntry(core.get(), port, value);
    Note("WriteIoPortDwordEx", {port, value}, result);
    return result;
  }

  static uint32_t ReadSpace(uint32_t location, uint8_t* bytes, uint32_t size) noexcept {
    const uint32_t result = ReadSpaceEntry(core.get(), location, bytes, size);
    Note("ReadPciConfigSpaceEx", {location, size}, result);
    return result;
  }

  static uint32_t ReadSpaceBatch(const uint32_t* locations, uint32_t count, uint32_t size,
                                 uint8_t* bytes, uint32_t* stored) noexcept {
    const uint32_t result = ReadSpaceBatchEntry(core.get(), locations, count, size, bytes, stored);
    Note("ReadPciConfigSpaceBatchEx", {count, size}, result);
    return result;
  }
};

}  // namespace qbus::access

// The exported functions themselves; `Library` as above.
#define QBUS_DEFINE_ENTRY_POINTS(Library)                                                          \
  extern "C" {                                                                                     \
  uint32_t InitializeOls(void) noexcept { return ::qbus::access::Entries<Library>::Initialize(); } \
  void DeinitializeOls(void) noexcept { ::qbus::access::Entries<Library>::Deinitialize(); }        \
  uint32_t ReadIoPortDwordEx(uint32_t port, uint32_t* value) noexcept {                            \
    return ::qbus::access::Entries<Library>::ReadPort(port, value);                                \
  }                                                                                                \
  uint32_t WriteIoPortDwordEx(uint32_t port, uint32_t value) noexcept {                            \
    return ::qbus::access::Entries<Library>::WritePort(port, value);                               \
  }                                                                                                \
  uint32_t ReadPciConfigDwordEx(uint32_t location, uint32_t offset, uint32_t* value) noexcept {    \
    return ::qbus::access::Entries<Library>::ReadConfig("ReadPciConfigDwordEx", location, offset,  \
                                                        value);                                    \
  }                                                                                                \
  uint32_t WritePciConfigDwordEx(uint32_t location, uint32_t offset, uint32_t value) noexcept {    \
    return ::qbus::access::Entries<Library>::WriteConfig("WritePciConfigDwordEx", location,        \
                                                         offset, value);                           \
  }                                                                                                \
  uint32_t ReadPciConfigWordEx(uint32_t location, uint32_t offset, uint16_t* value) noexcept {     \
    return ::qbus::access::Entries<Library>::ReadConfig("ReadPciConfigWordEx", location, offset,   \
                                                        value);                                    \
  }                                                                                                \
  uint32_t WritePciConfigWordEx(uint32_t location, uint32_t offset, uint16_t value) noexcept {     \
    return ::qbus::access::Entries<Library>::WriteConfig("WritePciConfigWordEx", location, offset, \
                                                         value);                                   \
  }                                                                                                \
  uint32_t ReadPciConfigByteEx(uint32_t location, uint32_t offset, uint8_t* value) noexcept {      \
    return ::qbus::access::Entries<Library>::ReadConfig("ReadPciConfigByteEx", location, offset,   \
                                                        value);                                    \
  }                                                                                                \
  uint32_t WritePciConfigByteEx(uint32_t location, uint32_t offset, uint8_t value) noexcept {      \
    return ::qbus::access::Entries<Library>::WriteConfig("WritePciConfigByteEx", location, offset, \
                                                         value);                                   \
  }                                                                                                \
  uint32_t ReadPciConfigSpaceEx(uint32_t location, uint8_t* bytes, uint32_t size) noexcept {       \
    return ::qbus::access::Entries<Library>::ReadSpace(location, bytes, size);                     \
  }                                                                                                \
  uint32_t ReadPciConfigSpaceBatchEx(const uint32_t* locations, uint32_t count, uint32_t size,     \
                                     uint8_t* bytes, uint32_t* stored) noexcept {                  \
    return ::qbus::access::Entries<Library>::ReadSpaceBatch(locations, count, size, bytes,         \
                                                            stored);                               \
  }                                                                                                \
  }
