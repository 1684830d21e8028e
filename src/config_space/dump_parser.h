// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// Reads the text that `lspci -x`, `-xxx` or `-xxxx` prints: a header line per function
// ("BB:DD.F text" or "DOMAIN:BB:DD.F text") followed by lines of "OFFSET: XX XX ...". It takes
// what the pciutils dump reader takes: other lines are skipped, an empty line ends a function,
// and bytes the dump does not give read as all-ones. Lines are taken as views, one at a time,
// so a dump of any size is read without holding its text or allocating per line.
namespace qbus::config_space {

// The configuration space of one function as the dump gives it.
struct FunctionImage {
  std::vector<uint8_t> bytes;  // 256 or 4096 bytes; 0xFF where the dump gives nothing
  std::vector<bool> held;      // which bytes the dump gives
};

// Functions of the presented domain by location (bus << 8 | device << 3 | function).
using MachineImage = std::map<uint32_t, FunctionImage>;

struct ParsedDump {
  MachineImage functions;
  std::string error;  // empty on success; otherwise one line naming the source and the line
};

// Takes a dump line by line, keeping the functions of one domain (a header without a domain is
// in domain 0). It refuses the whole dump on a line longer than the bound it is given, a
// malformed hex line, an offset beyond 4096 bytes, a header of that domain with a device above 0x1F
// or a function above 7, a function of it given twice, or no function of it at all (naming the
// domains the dump holds).
class DumpParser {
 public:
  // `name` names the source in error messages; `domain` is the domain to keep; a line of more
  // than `max_line_bytes` (its line feed not counted) refuses the dump.
  explicit DumpParser(std::string name, uint32_t domain = 0, size_t max_line_bytes = SIZE_MAX);

  // One line, without its line feed (a trailing carriage return is dropped). False once the
  // dump has been refused; later lines are then ignored.
  bool TakeLine(std::string_view line);

  // The functions, or the reason the dump was refused (then no function).
  ParsedDump Finish();

 private:
  bool Refuse(const std::string& reason);
  bool TakeHexLine(std::string_view line, uint32_t offset);

  std::string name_;
  uint32_t domain_;
  size_t max_line_bytes_;
  std::set<uint32_t> domains_seen_;
  ParsedDump result_;
  FunctionImage scratch_;  // takes the bytes of functions of other domains
  FunctionImage* current_ = nullptr;
  int line_number_ = 0;
};

// Parses a whole dump held in memory, keeping `domain`.
ParsedDump ParseDump(std::string_view text, const std::string& name, uint32_t domain = 0);

}  // namespace qbus::config_space
