// SPDX-License-Identifier: GPL-3.0-or-later
// The entry points of the elevated library (entry_exports.h), each a checked call into one Core
// whose configuration accesses the root helper carries out. InitializeOls starts the helper
// through polkit's pkexec (by its absolute path, so no search path of the caller's picks
// another), which asks for the administrator's password; a refusal is a failed InitializeOls.
// DeinitializeOls closes the helper's input, so the helper ends.
#include <dlfcn.h>

#include "access/common/entry_exports.h"
#include "access/elevated/core.h"

namespace {

namespace elevated = qbus::access::elevated;

constexpr char kPkexec[] = "/usr/bin/pkexec";

std::optional<elevated::HelperChannel> StartHelper() {
  Dl_info self{};
  if (dladdr(reinterpret_cast<void*>(&InitializeOls), &self) == 0 || self.dli_fname == nullptr) {
    return std::nullopt;
  }
  const std::string helper = elevated::HelperPathFor(self.dli_fname);
  if (helper.empty()) return std::nullopt;
  return elevated::SpawnHelper({kPkexec, helper});
}

struct ElevatedLibrary {
  using Core = elevated::Core;
  static bool Start(std::unique_ptr<Core>& core) {
    const auto channel = StartHelper();
    if (!channel) return false;
    core = std::make_unique<Core>(*channel);
    return core->Init();
  }
  static void Note(Core&, const char*, std::initializer_list<uint32_t>, std::optional<uint32_t>,
                   std::optional<uint32_t>) {}
};

using Entries = qbus::access::Entries<ElevatedLibrary>;

}  // namespace

QBUS_DEFINE_ENTRY_POINTS(ElevatedLibrary)

extern "C" {

// Before InitializeOls and after DeinitializeOls nothing has ended: the library is not set up.
uint32_t GetAccessStateEx(void) noexcept {
  return Entries::core ? static_cast<uint32_t>(Entries::core->state())
                       : qbus::access::kAccessWorking;
}

// The helper records every write it carries out, with the id of the user who asked.
uint32_t RecordsWritesEx(void) noexcept { return 1; }

}  // extern "C"
