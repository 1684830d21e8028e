// SPDX-License-Identifier: GPL-3.0-or-later
// The ten C entry points of the simulated library: each a checked call into one Core, followed
// by its trace line.
//
// The C interface forces one piece of process-wide state: `core`, created by InitializeOls from
// the environment and destroyed by DeinitializeOls. Every entry point fails cleanly (and traces
// nothing) while it is empty.

#include <memory>

#include "access/common/entry_points.h"
#include "access/common/entry_shim.h"
#include "access/sim/core.h"

namespace {

namespace access = qbus::access;
using qbus::access::sim::Core;

std::unique_ptr<Core> core;

template <typename T>
uint32_t TracedRead(const char* name, std::initializer_list<uint32_t> arguments, uint32_t result,
                    const T* value) noexcept {
  if (core) {
    core->trace().Call(name, arguments, result,
                       value ? std::optional<uint32_t>(*value) : std::nullopt);
  }
  return result;
}

uint32_t TracedWrite(const char* name, std::initializer_list<uint32_t> arguments,
                     uint32_t result) noexcept {
  if (core) core->trace().Call(name, arguments, result);
  return result;
}

}  // namespace

extern "C" {

uint32_t InitializeOls(void) noexcept {
  const uint32_t result = access::OneOrZero([] {
    core = std::make_unique<Core>(access::sim::OptionsFromEnvironment());
    return core->Init();
  });
  if (core) core->trace().Call("InitializeOls", {}, result);
  if (result == 0) core.reset();
  return result;
}

void DeinitializeOls(void) noexcept {
  if (core) core->trace().Call("DeinitializeOls", {}, std::nullopt);
  core.reset();
}

uint32_t ReadIoPortDwordEx(uint32_t port, uint32_t* value) noexcept {
  return TracedRead("ReadIoPortDwordEx", {port}, access::ReadPortEntry(core.get(), port, value),
                    value);
}
uint32_t WriteIoPortDwordEx(uint32_t port, uint32_t value) noexcept {
  return TracedWrite("WriteIoPortDwordEx", {port, value},
                     access::WritePortEntry(core.get(), port, value));
}
uint32_t ReadPciConfigDwordEx(uint32_t location, uint32_t offset, uint32_t* value) noexcept {
  return TracedRead("ReadPciConfigDwordEx", {location, offset},
                    access::ReadConfigEntry(core.get(), location, offset, value), value);
}
uint32_t WritePciConfigDwordEx(uint32_t location, uint32_t offset, uint32_t value) noexcept {
  return TracedWrite("WritePciConfigDwordEx", {location, offset, value},
                     access::WriteConfigEntry(core.get(), location, offset, value));
}
uint32_t ReadPciConfigWordEx(uint32_t location, uint32_t offset, uint16_t* value) noexcept {
  return TracedRead("ReadPciConfigWordEx", {location, offset},
                    access::ReadConfigEntry(core.get(), location, offset, value), value);
}
uint32_t WritePciConfigWordEx(uint32_t location, uint32_t offset, uint16_t value) noexcept {
  return TracedWrite("WritePciConfigWordEx", {location, offset, value},
                     access::WriteConfigEntry(core.get(), location, offset, value));
}
uint32_t ReadPciConfigByteEx(uint32_t location, uint32_t offset, uint8_t* value) noexcept {
  return TracedRead("ReadPciConfigByteEx", {location, offset},
                    access::ReadConfigEntry(core.get(), location, offset, value), value);
}
uint32_t WritePciConfigByteEx(uint32_t location, uint32_t offset, uint8_t value) noexcept {
  return TracedWrite("WritePciConfigByteEx", {location, offset, value},
                     access::WriteConfigEntry(core.get(), location, offset, value));
}

uint32_t GetPciDomainEx(void) noexcept { return core ? core->domain() : 0; }

uint32_t ReadPciConfigSpaceEx(uint32_t location, uint8_t* bytes, uint32_t size) noexcept {
  return TracedWrite("ReadPciConfigSpaceEx", {location, size},
                     access::ReadSpaceEntry(core.get(), location, bytes, size));
}

}  // extern "C"
