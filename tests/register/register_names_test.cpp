// SPDX-License-Identifier: GPL-3.0-or-later
// The names of registers and bits, found through the simulated machine's built-in functions (a
// host bridge, a device, a PCI Express root port and a PCI Express device with AER), and the
// capability walk on chains that loop or point out of range.
#include "config_space/register_names.h"

#include <fstream>
#include <gtest/gtest.h>
#include <stdlib.h>

#include "hw/library_binding.h"
#include "register/register_access.h"
#include "tests/support/temp_dir.h"

namespace qbus::config_space {
namespace {

void NoMessage(const std::string& title, const std::string&) { ADD_FAILURE() << title; }

class RegisterNames : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("QUORILBUS_SIM_TRACE");
    ASSERT_TRUE(hw::BindFile(QBUS_SIM_LIBRARY, NoMessage, &library_));
  }
  void TearDown() override {
    hw::Unbind(&library_);
    unsetenv("QUORILBUS_SIM_DUMP");
  }
  hw::LoadedLibrary library_;
};

TEST_F(RegisterNames, NameEachBitAfterItsHeaderAndCapabilities) {
  const struct {
    uint32_t location, offset;
    int bit;
    const char* name;
  } kBits[] = {
      {0x0000, 0x04, 2, "Command (0x04), bit 2: Bus Master Enable"},
      {0x0000, 0x07, 6, "Status (0x06), bit 14: Signaled System Error (write 1 to clear)"},
      {0x0000, 0x07, 2, "Status (0x06), bit 10: DEVSEL Timing (bits 10-9, read-only)"},
      {0x0000, 0x0E, 7, "Header Type (0x0E), bit 7: Multi-Function Device (read-only)"},
      {0x0000, 0x01, 0, "Vendor ID (0x00), bit 8 (read-only)"},
      {0x0000, 0x50, 1, "Device-specific register 0x50 (outside every capability), bit 1"},
      {0x0000, 0xEF, 1, "Vendor-Specific Data (0xEC), bit 25"},
      {0x0000, 0xF0, 1, "Device-specific register 0xF0 (outside every capability), bit 1"},
      {0x0010, 0x10, 0, "BAR0 (0x10), bit 0: I/O space indicator (read-only)"},
      {0x0010, 0x42, 0, "Vendor-Specific Capability Length (0x42), bit 0 (read-only)"},
      {0x00E0, 0x19, 3, "Secondary Bus Number (0x19), bit 3"},
      {0x00E0, 0x3E, 6, "Bridge Control (0x3E), bit 6: Secondary Bus Reset"},
      {0x00E0, 0x48, 5, "PCI Express Device Control (0x48), bit 5: Max Payload Size (bits 7-5)"},
      {0x00E0, 0x92, 0, "Bridge Subsystem Vendor ID Reserved (0x92), bit 0 (read-only)"},
      {0x00E0, 0xA5, 7,
       "Power Management Control/Status (0xA4), bit 15: PME Status (write 1 to "
       "clear)"},
      {0x0100, 0x52, 0, "MSI Message Control (0x52), bit 0: MSI Enable"},
      {0x0100, 0xB3, 7, "MSI-X Message Control (0xB2), bit 15: MSI-X Enable"},
      {0x0100, 0x104, 4,
       "Advanced Error Reporting Uncorrectable Error Status (0x104), bit 4: "
       "Data Link Protocol Error (write 1 to clear)"},
      {0x0100, 0x118, 6,
       "Advanced Error Reporting Advanced Error Capabilities and Control "
       "(0x118), bit 6: ECRC Generation Enable"},
      {0x0100, 0x144, 0,
       "Virtual Channel Port VC Capability 1 (0x144), bit 0: Extended VC Count (bits 2-0, "
       "read-only)"},
      {0x0100, 0x16B, 0,
       "Device Serial Number Serial Number, upper dword (0x168), bit 24 (read-only)"},
      {0x0100, 0x1F0, 0, "Extended configuration space 0x1F0 (outside every capability), bit 0"},
  };
  for (const auto& [location, offset, bit, name] : kBits) {
    SCOPED_TRACE(name);
    EXPECT_EQ(
        DescribeBit(ReadConfigLayout(regs::FunctionReader(library_.access, location)), offset, bit),
        name);
  }
  const ConfigLayout host = ReadConfigLayout(regs::FunctionReader(library_.access, 0x0000));
  EXPECT_EQ(DescribeRegisters(host, 0x04, 4), "Command (0x04) and Status (0x06)");
  EXPECT_EQ(DescribeRegisters(host, 0x0C, 4),
            "Cache Line Size (0x0C), Latency Timer (0x0D), Header Type (0x0E) and BIST (0x0F)");
}

// Functions whose names have edges (tests/dumps/names.dump): 00:14.0 a multi-function device
// with a 64-bit memory BAR and an I/O BAR4, 00:1c.0 a multi-function bridge with capabilities
// of fixed (bridge subsystem IDs, 8 bytes; PM, 8) and self-described (MSI with 64-bit addresses
// and masking, 24 bytes) length and a Data Object Exchange extended capability, 02:00.0 a
// CardBus bridge.
TEST_F(RegisterNames, NameBarKindsCapabilityExtentsAndEveryHeaderType) {
  hw::Unbind(&library_);
  setenv("QUORILBUS_SIM_DUMP", QBUS_TEST_DUMPS "/names.dump", 1);
  ASSERT_TRUE(hw::BindFile(QBUS_SIM_LIBRARY, NoMessage, &library_));
  const struct {
    uint32_t location, offset;
    int bit;
    const char* name;
  } kBits[] = {
      {0x00A0, 0x20, 1, "BAR4 (0x20), bit 1: Reserved (read-only)"},
      {0x00A0, 0x20, 2, "BAR4 (0x20), bit 2: Base address (bits 31-2)"},
      {0x00A0, 0x10, 3, "BAR0 (0x10), bit 3: Prefetchable (read-only)"},
      {0x00A0, 0x14, 0, "BAR1 (0x14), bit 0: Upper half of a 64-bit base address (bits 31-0)"},
      {0x00A0, 0x2F, 0, "Subsystem ID (0x2E), bit 8 (read-only)"},
      {0x00E0, 0x06, 0, "Status (0x06), bit 0: Immediate Readiness (read-only)"},
      {0x00E0, 0x20, 0, "Memory Base (0x20), bit 0: Reserved (bits 3-0, read-only)"},
      {0x00E0, 0x24, 0,
       "Prefetchable Memory Base (0x24), bit 0: Addressing capability (32-bit or "
       "64-bit) (bits 3-0, read-only)"},
      {0x00E0, 0x47, 0, "Bridge Subsystem Vendor ID Subsystem ID (0x46), bit 8 (read-only)"},
      {0x00E0, 0x48, 0, "Device-specific register 0x48 (outside every capability), bit 0"},
      {0x00E0, 0x60, 0, "MSI Capability ID (0x60), bit 0 (read-only)"},
      {0x00E0, 0x77, 7, "MSI Pending Bits (0x74), bit 31 (read-only)"},
      {0x00E0, 0x78, 0, "Device-specific register 0x78 (outside every capability), bit 0"},
      {0x00E0, 0xE8, 0, "Device-specific register 0xE8 (outside every capability), bit 0"},
      {0x00E0, 0x100, 0,
       "Data Object Exchange Extended Capability Header (0x100), bit 0: "
       "Extended Capability ID (bits 15-0, read-only)"},
      {0x00E0, 0x118, 0, "Extended configuration space 0x118 (outside every capability), bit 0"},
      {0x0200, 0x14, 0, "Capabilities Pointer (0x14), bit 0 (read-only)"},
      {0x0200, 0x44, 0, "16-bit Legacy Mode Base Address (0x44), bit 0"},
  };
  for (const auto& [location, offset, bit, name] : kBits) {
    SCOPED_TRACE(name);
    EXPECT_EQ(
        DescribeBit(ReadConfigLayout(regs::FunctionReader(library_.access, location)), offset, bit),
        name);
  }
  const ConfigLayout bridge = ReadConfigLayout(regs::FunctionReader(library_.access, 0x00E0));
  EXPECT_EQ(DescribeRegisters(bridge, 0x50, 4),
            "Device-specific registers 0x50-0x53 (outside every capability)");
  EXPECT_EQ(DescribeRegisters(bridge, 0x44, 4),
            "Bridge Subsystem Vendor ID Subsystem Vendor ID (0x44) and Bridge Subsystem Vendor ID "
            "Subsystem ID (0x46)");
}

// Without root the capability list cannot be read: the header keeps its names, and what lies
// past it says why it has none.
TEST_F(RegisterNames, WithoutRootRegistersPastTheHeaderSayTheirNameNeedsRoot) {
  hw::Unbind(&library_);
  setenv("QUORILBUS_SIM_DUMP", QBUS_TEST_DUMPS "/names.dump", 1);
  setenv("QUORILBUS_SIM_UNPRIVILEGED", "1", 1);
  ASSERT_TRUE(hw::BindFile(QBUS_SIM_LIBRARY, NoMessage, &library_));
  unsetenv("QUORILBUS_SIM_UNPRIVILEGED");
  const ConfigLayout bridge = ReadConfigLayout(regs::FunctionReader(library_.access, 0x00E0));
  EXPECT_EQ(DescribeBit(bridge, 0x3E, 6), "Bridge Control (0x3E), bit 6: Secondary Bus Reset");
  EXPECT_EQ(DescribeBit(bridge, 0x60, 0), "Register 0x60 (name unknown without root), bit 0");
  EXPECT_EQ(DescribeRegisters(bridge, 0x60, 4), "Registers 0x60-0x63 (name unknown without root)");
}

// A chain that loops, one that points below 0x40 and an extended list that points at itself
// all end; nothing is written on the way.
TEST_F(RegisterNames, TheCapabilityWalkEndsOnEveryBrokenChain) {
  test::TempDir dir;
  const auto dump = dir.path() / "chains.dump";
  std::ofstream(dump) << "00:01.0 Looping list\n"
                         "00: 86 80 01 00 00 00 10 00 00 00 00 00 00 00 00 00\n"
                         "30: 00 00 00 00 40 00 00 00 00 00 00 00 00 00 00 00\n"
                         "40: 01 50 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n"
                         "50: 05 40 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n"
                         "100: 01 00 01 10\n\n"
                         "00:02.0 Pointer below the header's end\n"
                         "00: 86 80 02 00 00 00 10 00 00 00 00 00 00 00 00 00\n"
                         "30: 00 00 00 00 20 00 00 00 00 00 00 00 00 00 00 00\n";
  hw::Unbind(&library_);
  setenv("QUORILBUS_SIM_DUMP", dump.c_str(), 1);
  ASSERT_TRUE(hw::BindFile(QBUS_SIM_LIBRARY, NoMessage, &library_));
  const ConfigLayout looping = ReadConfigLayout(regs::FunctionReader(library_.access, 0x0008));
  ASSERT_EQ(looping.capabilities.size(), 3u);
  EXPECT_EQ(looping.capabilities[1].offset, 0x50u);
  EXPECT_EQ(looping.capabilities[2].offset, 0x100u);
  EXPECT_TRUE(ReadConfigLayout(regs::FunctionReader(library_.access, 0x0010)).capabilities.empty());
  EXPECT_EQ(DescribeBit(ReadConfigLayout(regs::FunctionReader(library_.access, 0x0030)), 0x04, 0),
            "Command (0x04), bit 0: I/O Space Enable")
      << "an absent function has the common header's names";
}

}  // namespace
}  // namespace qbus::config_space
