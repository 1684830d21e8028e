// SPDX-License-Identifier: GPL-3.0-or-later
// The ten C entry points of the elevated library, each a checked call into one Core whose
// configuration accesses the root helper carries out. InitializeOls starts the helper through
// polkit's pkexec (by its absolute path, so no search path of the caller's picks another), which
// asks for the administrator's password; a refusal is a failed InitializeOls.
//
// The C interface forces one piece of process-wide state: `core`, created by InitializeOls and
// destroyed by DeinitializeOls (which closes the helper's input, so the helper ends). Every
// entry point fails cleanly while it is empty.

#include <dlfcn.h>
#include <memory>

#include "access/common/entry_points.h"
#include "access/common/entry_shim.h"
#include "access/elevated/core.h"

namespace {

namespace access = qbus::access;
using qbus::access::elevated::Core;

constexpr char kPkexec[] = "/usr/bin/pkexec";

std::unique_ptr<Core> core;

std::optional<access::elevated::HelperChannel> StartHelper() {
  Dl_info self{};
  if (dladdr(reinterpret_cast<void*>(&InitializeOls), &self) == 0 || self.dli_fname == nullptr) {
    return std::nullopt;
  }
  const std::string helper = access::elevated::HelperPathFor(self.dli_fname);
  if (helper.empty()) return std::nullopt;
  return access::elevated::SpawnHelper({kPkexec, helper});
}

}  // namespace

extern "C" {

uint32_t InitializeOls(void) noexcept {
  core.reset();
  const uint32_t result = access::OneOrZero([] {
    const auto channel = StartHelper();
    if (!channel) return false;
    core = std::make_unique<Core>(*channel);
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

// Before InitializeOls and after DeinitializeOls nothing has ended: the library is not set up.
uint32_t GetAccessStateEx(void) noexcept {
  return core ? static_cast<uint32_t>(core->state()) : access::kAccessWorking;
}

// The helper records every write it carries out, with the id of the user who asked.
uint32_t RecordsWritesEx(void) noexcept { return 1; }

}  // extern "C"
