// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace qbus::scan {

// The device-list line of one answering function, for example
// "Bus-Nr. = 0x00 ,  Device-Nr. = 0x1F ,  Funktions-Nr. = 0x3 :  Vendor = 0x5678 ,  Device =
// 0x1234" for bus 0, device 0x1F, function 3 and identifier dword 0x12345678 (vendor in the low
// half).
std::string FormatDeviceLine(int bus, int device, int function, uint32_t value);

}  // namespace qbus::scan
