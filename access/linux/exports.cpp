// SPDX-License-Identifier: GPL-3.0-or-later
// The entry points of the real library (entry_exports.h), each a checked call into one Core.
#include "access/common/entry_exports.h"
#include "access/linux/core.h"

namespace {

struct LinuxLibrary {
  using Core = qbus::access::linux_pci::Core;
  static bool Start(std::unique_ptr<Core>& core) {
    core = std::make_unique<Core>();
    return core->Init();
  }
  static void Note(Core&, const char*, std::initializer_list<uint32_t>, std::optional<uint32_t>,
                   std::optional<uint32_t>) {}
};

}  // namespace

QBUS_DEFINE_ENTRY_POINTS(LinuxLibrary)
