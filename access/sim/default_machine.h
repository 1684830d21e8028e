// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

namespace qbus::access::sim {

// The built-in machine, as the text `lspci -xxx` would print for it: a host bridge, graphics,
// a USB controller, a multi-function device (00:1f.0, .3, .4, .5), a PCI Express root port and,
// behind it on bus 1, a network controller with 4096 bytes of configuration space.
extern const std::string_view kDefaultMachineDump;

}  // namespace qbus::access::sim
