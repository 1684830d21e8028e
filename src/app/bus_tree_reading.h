// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "hw/hardware_access.h"
#include "scan/device_finder.h"
#include "ui/ui_types.h"

namespace qbus::app {

// The bus tree of the listed functions, or why it cannot be drawn.
struct BusTreeReading {
  std::vector<ui::BusTreeItem> lines;  // empty when `failure` is set
  // The first function that could not be read and why: "00:1c.0 could not be read: the access
  // helper has ended."; empty when every function was read.
  std::string failure;
};

// Reads each function's first 256 bytes through `access`, many functions to a call
// (regs::FunctionStarts; reads only), takes its identifiers, class, header type, (for a bridge) bus
// numbers and PCI Express link from them, then lays them out as a tree:
//   "00:1c.0 [01-03] PCI bridge: ... (link 8 GT/s x4, running 2.5 GT/s x1 - below what both ends
//   can)",
// the bus numbers only for a bridge, the link only for a function with one
// (config_space::LinkText). A failed read ends the reading and nothing is drawn: a tree made
// without a bridge's bus numbers would show its buses as roots. Only where the library reads no
// further than 64 bytes without root is the tree drawn without links, its first line saying so:
// "Link speeds and widths not shown: reading them needs root from offset 0x40 on."
BusTreeReading ReadBusTree(const hw::HardwareAccess& access,
                           const std::vector<scan::ListedFunction>& functions);

}  // namespace qbus::app
