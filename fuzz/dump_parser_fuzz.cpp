// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary text to the simulated machine's dump loader, then reads and writes the machine
// it built: nothing may crash, and a loaded function must answer inside its space.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string_view>

#include "access/sim/machine.h"
#include "config_space/dump_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace qbus::access::sim;
  using namespace qbus::config_space;
  ParsedDump dump = ParseDump(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz");
  if (!dump.error.empty()) {
    if (!dump.functions.empty()) std::abort();  // a refused dump loads nothing
    return 0;
  }
  std::map<uint32_t, size_t> sizes;
  for (const auto& [location, function] : dump.functions) sizes[location] = function.bytes.size();
  Machine machine(std::move(dump.functions));
  for (const auto& [location, size] : sizes) {
    if (!machine.Read(location, 0, 4) || !machine.Read(location, 0xFC, 4)) std::abort();
    for (uint32_t offset = 0; offset < size; offset += 0x3D) {
      machine.Write(location, offset & ~3u, 4, 0xFFFFFFFF);
      machine.Write(location, offset, 1, 0);
    }
  }
  return 0;
}
