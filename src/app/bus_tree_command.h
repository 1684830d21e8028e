// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <vector>

#include "hw/hardware_access.h"
#include "scan/device_finder.h"
#include "ui/window_layer.h"

namespace qbus::app {

// Offers Bus tree... in the device list's menu: which function sits behind which bridge, from
// the bridges' bus numbers read through `access` (reads only, when asked for), and how each PCI
// Express link runs; moving to a line selects that function's line in the device list. A function
// that cannot be read gets a message naming it and why, in place of the tree. Offered while the
// returned offer lives.
[[nodiscard]] ui::CommandOffer OfferBusTree(ui::WindowLayer& layer,
                                            const hw::HardwareAccess& access,
                                            const std::vector<scan::ListedFunction>& functions);

}  // namespace qbus::app
