// SPDX-License-Identifier: GPL-3.0-or-later
// The ten C entry points of the real library, each a checked call into one Core.
//
// The C interface forces one piece of process-wide state: `core`, created by InitializeOls and
// destroyed by DeinitializeOls. Every entry point fails cleanly while it is empty.

#include <memory>

#include "access/common/entry_points.h"
#include "access/common/entry_shim.h"
#include "access/linux/core.h"

namespace {

namespace access = qbus::access;
using qbus::access::linux_pci::Core;

std::unique_ptr<Core> core;

}  // namespace

extern "C" {

uint32_t InitializeOls(void) noexcept {
  const uint32_t result = access::OneOrZero([] {
    core = std::make_unique<Core>();
    return core->Init();
  });
  if (result == 0) core.reset();
  return result;
}

void DeinitializeOls(void) noexcept { core.reset(); }

uint32_t ReadIoPortDwordEx(uint32_t port, uint32_t* value) noexcept {
  return access::ReadPortEntry(core.get(), port, value);
}
uint32_t WriteIoPortDwordEx(uint32_t port, uint32_t value) noexcept {
  return access::WritePortEntry(core.get(), port, value);
}
uint32_t ReadPciConfigDwordEx(uint32_t location, uint32_t offset, uint32_t* value) noexcept {
  return access::ReadConfigEntry(core.get(), location, offset, value);
}
uint32_t WritePciConfigDwordEx(uint32_t location, uint32_t offset, uint32_t value) noexcept {
  return access::WriteConfigEntry(core.get(), location, offset, value);
}
uint32_t ReadPciConfigWordEx(uint32_t location, uint32_t offset, uint16_t* value) noexcept {
  return access::ReadConfigEntry(core.get(), location, offset, value);
}
uint32_t WritePciConfigWordEx(uint32_t location, uint32_t offset, uint16_t value) noexcept {
  return access::WriteConfigEntry(core.get(), location, offset, value);
}
uint32_t ReadPciConfigByteEx(uint32_t location, uint32_t offset, uint8_t* value) noexcept {
  return access::ReadConfigEntry(core.get(), location, offset, value);
}
uint32_t WritePciConfigByteEx(uint32_t location, uint32_t offset, uint8_t value) noexcept {
  return access::WriteConfigEntry(core.get(), location, offset, value);
}

uint32_t ReadPciConfigSpaceEx(uint32_t location, uint8_t* bytes, uint32_t size) noexcept {
  return access::ReadSpaceEntry(core.get(), location, bytes, size);
}

}  // extern "C"
