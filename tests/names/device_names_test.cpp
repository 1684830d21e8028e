// SPDX-License-Identifier: GPL-3.0-or-later
// Device names from the system's PCI ID database, and the plain fallback without one.
#include "names/device_names.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace qbus::names {
namespace {

TEST(DeviceNames, FromTheDatabaseWithAPlainFallback) {
  DeviceNames missing("/nonexistent/pci.ids");
  EXPECT_EQ(missing.Describe(0x8086, 0x1237),
            "Vendor 0x8086, device 0x1237 (no name in the PCI ID database)");
  if (!std::filesystem::exists("/usr/share/misc/pci.ids")) GTEST_SKIP() << "no pci.ids";
  DeviceNames system;
  EXPECT_EQ(system.Describe(0x8086, 0x1237),
            "Intel Corporation 440FX - 82441FX PMC [Natoma] (0x8086:0x1237)");
  EXPECT_EQ(system.Describe(0x8086, 0xFFFE),
            "Intel Corporation, device 0xFFFE (no name in the PCI ID database)");
  EXPECT_EQ(system.Describe(0x0002, 0x0001),
            "Vendor 0x0002, device 0x0001 (no name in the PCI ID database)");
  EXPECT_EQ(system.ClassName(0x01), "Mass storage controller") << "not its first subclass";
  EXPECT_EQ(system.ClassName(0xEE), "");
  EXPECT_EQ(system.SubclassName(0x01, 0x06), "SATA controller");
  EXPECT_EQ(system.SubclassName(0x01, 0xEE), "") << "not the class's name";
  EXPECT_EQ(system.InterfaceName(0x01, 0x06, 0x01), "AHCI 1.0");
}

}  // namespace
}  // namespace qbus::names
