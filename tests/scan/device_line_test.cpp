// SPDX-License-Identifier: GPL-3.0-or-later
#include "scan/device_line.h"

#include <gtest/gtest.h>

namespace qbus::scan {
namespace {

TEST(DeviceLine, JoinsTheNumbersAndBothHalvesOfTheIdentifier) {
  EXPECT_EQ(FormatDeviceLine(0, 0x1F, 3, 0x12345678),
            "Bus-Nr. = 0x00 ,  Device-Nr. = 0x1F ,  Funktions-Nr. = 0x3 :  Vendor = 0x5678 ,  "
            "Device = 0x1234");
  EXPECT_EQ(FormatDeviceLine(2, 0, 0, 0x00011022),
            "Bus-Nr. = 0x02 ,  Device-Nr. = 0x00 ,  Funktions-Nr. = 0x0 :  Vendor = 0x1022 ,  "
            "Device = 0x0001");
  EXPECT_EQ(FormatDeviceLine(255, 31, 7, 0),
            "Bus-Nr. = 0xFF ,  Device-Nr. = 0x1F ,  Funktions-Nr. = 0x7 :  Vendor = 0x0000 ,  "
            "Device = 0x0000");
  EXPECT_EQ(FormatDeviceLine(1, 2, 0, 0x1234FFFF),
            "Bus-Nr. = 0x01 ,  Device-Nr. = 0x02 ,  Funktions-Nr. = 0x0 :  Vendor = 0xFFFF ,  "
            "Device = 0x1234");
}

}  // namespace
}  // namespace qbus::scan
