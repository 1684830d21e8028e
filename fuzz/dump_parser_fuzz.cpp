// Feeds arbitrary text to the simulated machine's dump loader, then reads and writes the machine
// it built: nothing may crash, and a loaded function must answer inside its space.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "access/sim/dump_parser.h"
#include "access/sim/machine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace qbus::access::sim;
  std::istringstream text(std::string(reinterpret_cast<const char*>(data), size));
  const ParsedDump dump = ParseDump(text, "fuzz");
  if (!dump.error.empty()) {
    if (!dump.functions.empty()) std::abort();  // a refused dump loads nothing
    return 0;
  }
  Machine machine(dump.functions);
  for (const auto& [location, function] : dump.functions) {
    if (!machine.Read(location, 0, 4) || !machine.Read(location, 0xFC, 4)) std::abort();
    for (uint32_t offset = 0; offset < function.bytes.size(); offset += 0x3D) {
      machine.Write(location, offset & ~3u, 4, 0xFFFFFFFF);
      machine.Write(location, offset, 1, 0);
    }
  }
  return 0;
}
