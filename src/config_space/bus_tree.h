// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <span>
#include <vector>

// Which function sits behind which bridge: the functions of one domain as a tree of buses, each
// bridge followed by the functions of its secondary bus.
namespace qbus::config_space {

// A function as the tree needs it, from its header (0x0E, 0x18-0x1A).
struct BusFunction {
  uint32_t location;                   // bus << 8 | device << 3 | function
  int header_type;                     // bits 6-0 of 0x0E; 1 and 2 are bridges
  int secondary = 0, subordinate = 0;  // a bridge's bus numbers
};

struct BusTreeLine {
  int depth;
  int bus = -1;       // a root bus line: its number; -1 for a function line
  int function = -1;  // a function line: its index in the input
};

// The buses no bridge leads to are roots, by number, each followed by its functions by device
// and function; a bridge is followed by the functions of its secondary bus, one level deeper. A
// secondary bus reached before (a bridge pointing back up, two bridges naming one bus) is not
// followed again, so every function appears once.
std::vector<BusTreeLine> BuildBusTree(std::span<const BusFunction> functions);

// `function`'s own header: is it a bridge with a secondary bus?
bool IsBridge(const BusFunction& function);

}  // namespace qbus::config_space
