// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "config_space/value_meanings.h"

// A function decoded whole, as a tree: the header, then each capability and extended capability
// in the order its list gives them; under each its registers with offset and value; under each
// register its fields with bits, access and meaning. Built from bytes already read.
namespace qbus::config_space {

struct DecodedLine {
  int depth = 0;        // 0: the header or a capability; 1: a register; 2: a field
  std::string name;     // "PCI Express", "Link Status", "Current Link Speed"
  std::string place;    // "0x78", "0x8A", "bits 3-0", "bit 13"
  std::string value;    // a register's "0x1101", a field's "1" or "0x3"; empty for a block
  std::string access;   // "read-only", "read-write", "write 1 to clear", "reserved"
  std::string meaning;  // "2.5 GT/s"; empty when the standard gives none
  std::string key;      // names the line within its function, across readings
  uint32_t offset = 0;  // of the register's (or block's) first byte
  int size = 0;         // of the register in bytes; 0 for a block
};

// The lines of the tree in order, each after its parent. Only registers that lie wholly within
// `bytes` (and within their capability) appear; a reading of the first 64 bytes has the header.
std::vector<DecodedLine> DecodeFunction(std::span<const uint8_t> bytes,
                                        const ClassNamer& class_names = {});

}  // namespace qbus::config_space
