#pragma once

#include <cstdint>
#include <istream>
#include <map>
#include <string>
#include <vector>

// Reads the text that `lspci -x`, `-xxx` or `-xxxx` prints: a header line per function
// ("BB:DD.F text" or "DOMAIN:BB:DD.F text") followed by lines of "OFFSET: XX XX ...". It takes
// what the pciutils dump reader takes: other lines are skipped, an empty line ends a function,
// and bytes the dump does not give read as all-ones.
namespace qbus::access::sim {

// The configuration space of one function as the dump gives it.
struct FunctionImage {
  std::vector<uint8_t> bytes;  // 256 or 4096 bytes; 0xFF where the dump gives nothing
  std::vector<bool> held;      // which bytes the dump gives
};

// Functions of domain 0 by location (bus << 8 | device << 3 | function).
using MachineImage = std::map<uint32_t, FunctionImage>;

struct ParsedDump {
  MachineImage functions;
  std::string error;  // empty on success; otherwise one line naming `name` and the line
};

// Parses a whole dump. `name` names the source in error messages. It fails on a malformed hex
// line, an offset beyond 4096 bytes, a domain-0 header with a device above 0x1F or a function
// above 7, a domain-0 function given twice, or no domain-0 function.
ParsedDump ParseDump(std::istream& in, const std::string& name);

}  // namespace qbus::access::sim
