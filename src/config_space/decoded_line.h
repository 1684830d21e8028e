// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

// One line of a function's decoded tree (function_tree.h), as the function view shows it. Plain
// data, so that the window layer may hold it without depending on the register knowledge.
namespace qbus::config_space {

struct DecodedLine {
  int depth = 0;        // 0: the header or a capability; 1: a register; 2: a field
  std::string name;     // "PCI Express", "Link Status", "Current Link Speed"
  std::string place;    // "0x78", "0x8A", "bits 3-0", "bit 13"
  std::string value;    // a register's "0x1101", a field's "1" or "0x3"; empty for a block
  std::string access;   // "read-only", "read-write", "write 1 to clear", "reserved"
  std::string meaning;  // "2.5 GT/s"; empty when the standard gives none
  // Of a register with fields, what they hold in one line: "Current Link Speed 2.5 GT/s,
  // Negotiated Link Width x16, Data Link Layer Link Active" (set flags by name, reserved ones
  // left out); empty for other lines.
  std::string summary;
  std::string key;          // names the line within its function, across readings
  uint32_t offset = 0;      // of the register's (or block's) first byte
  int size = 0;             // of the register in bytes; 0 for a block
  int low = -1, high = -1;  // a field's bits within its register; -1 for other lines
};

}  // namespace qbus::config_space
