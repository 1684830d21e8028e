// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <vector>

#include "hw/hardware_access.h"
#include "register/go_to_register.h"
#include "scan/device_finder.h"
#include "ui/window_layer.h"

namespace qbus::app {

// Offers Bus tree... in the device list's menu: which function sits behind which bridge, from
// the bridges' bus numbers read through `access` (reads only, when asked for), and how each PCI
// Express link runs. Moving to a line selects that function's line in the device list; Enter on
// it puts the function in `go_to` for the selection form, which takes it at the Go to register
// event raised with it (setting the bus, device and function selectors), and closes the tree.
// After READ the form refuses that event and says why; `go_to` is then emptied and the tree
// stays. A function that cannot be read gets a message naming it and why, in place of the tree.
// Offered while the returned offer lives, which must not outlive `go_to`.
[[nodiscard]] ui::CommandOffer OfferBusTree(ui::WindowLayer& layer,
                                            const hw::HardwareAccess& access,
                                            const std::vector<scan::ListedFunction>& functions,
                                            std::optional<regs::GoToRequest>& go_to);

}  // namespace qbus::app
