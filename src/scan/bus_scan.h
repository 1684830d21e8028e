// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <vector>

#include "hw/hardware_access.h"
#include "scan/device_finder.h"
#include "ui/window_layer.h"

namespace qbus::scan {

// Creates the device list (110) and the vendor legend (111 to 123) in the large font, then
// probes all 65,536 bus/device/function combinations in ascending order through configuration
// mechanism #1: for each, the address 0x80000000 | bus << 16 | device << 11 | function << 8 is
// written to port 0xCF8 and the identifier dword read from port 0xCFC. Every value other than
// 0xFFFFFFFF gets a line at the end of the list. Results of the port calls are not examined.
// Runs once, after the library is initialised; handles no window events. Returns the listed
// functions in list order.
std::vector<ListedFunction> RunBusScan(ui::WindowLayer& layer, const hw::HardwareAccess& access);

}  // namespace qbus::scan
