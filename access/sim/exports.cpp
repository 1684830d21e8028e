// SPDX-License-Identifier: GPL-3.0-or-later
// The entry points of the simulated library (entry_exports.h): each a checked call into one
// Core, followed by its trace line; the domain the machine presents; and that it is simulated.
#include "access/common/entry_exports.h"
#include "access/sim/core.h"

namespace {

struct SimulatedLibrary {
  using Core = qbus::access::sim::Core;
  // The core is made even when its machine cannot be loaded, so the refusal is traced.
  static bool Start(std::unique_ptr<Core>& core) {
    core = std::make_unique<Core>(qbus::access::sim::OptionsFromEnvironment());
    return core->Init();
  }
  static void Note(Core& core, const char* name, std::initializer_list<uint32_t> arguments,
                   std::optional<uint32_t> result, std::optional<uint32_t> value) {
    core.trace().Call(name, arguments, result, value);
  }
};

}  // namespace

QBUS_DEFINE_ENTRY_POINTS(SimulatedLibrary)

extern "C" uint32_t GetPciDomainEx(void) noexcept {
  const auto& core = qbus::access::Entries<SimulatedLibrary>::core;
  return core ? core->domain() : 0;
}

extern "C" uint32_t IsSimulatedMachineEx(void) noexcept { return 1; }
