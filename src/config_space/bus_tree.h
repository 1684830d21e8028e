// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "config_space/capability_walk.h"
#include "config_space/register_tables.h"

// Which function sits behind which bridge: the functions of one domain as a tree of buses, each
// bridge followed by the functions of its secondary bus; and how well each PCI Express link
// runs, from the registers of both its ends.
namespace qbus::config_space {

// A function's PCI Express link as its own registers give it. Speeds are the registers'
// encodings (1: 2.5 GT/s ... 6: 64 GT/s), widths are lanes.
struct ExpressLink {
  int port_type = 0;  // Device/Port Type: 4 a root port, 6 a switch's downstream port
  int max_speed = 0, max_width = 0;  // Link Capabilities: what this end can
  int speed = 0, width = 0;          // Link Status: what the link runs at; width 0: it is down
};

// A function as the tree needs it, from its header (0x0E, 0x18-0x1A) and its link.
struct BusFunction {
  uint32_t location;                     // bus << 8 | device << 3 | function
  int header_type;                       // bits 6-0 of 0x0E; 1 and 2 are bridges
  int secondary = 0, subordinate = 0;    // a bridge's bus numbers
  std::optional<ExpressLink> link = {};  // none: no PCI Express capability, or one without a link
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

// The link of the function whose `layout` (ReadConfigLayout) came through `read`, from its PCI
// Express capability: nothing for a function without one, for a root complex integrated
// endpoint or event collector (which have no link), or when its registers cannot be read.
std::optional<ExpressLink> ReadExpressLink(const ConfigLayout& layout, const ConfigReader& read);

// The link of `functions[index]`: "link 8 GT/s x4, running 2.5 GT/s x1", what it can and what
// it runs at, or "link 8 GT/s x1, down"; empty without a link. A downstream port (a root port,
// a switch's downstream port, a PCI to PCI Express bridge) and device 0 of its secondary bus are
// the two ends of one link, which can run at the lower of their speeds and of their widths;
// running below that in either adds " - below what both ends can". Where the tree lacks the
// other end nothing is marked: the shortfall may be what that end can.
std::string LinkText(std::span<const BusFunction> functions, size_t index);

}  // namespace qbus::config_space
