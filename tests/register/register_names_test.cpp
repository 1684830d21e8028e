// SPDX-License-Identifier: GPL-3.0-or-later
// The names of registers and bits, found through the simulated machine's built-in functions (a
// host bridge, a device, a PCI Express root port and a PCI Express device with AER), and the
// capability walk on chains that loop or point out of range.
#include <gtest/gtest.h>

#include <fstream>
#include <stdlib.h>

#include "hw/library_binding.h"
#include "register/register_map.h"
#include "tests/support/temp_dir.h"

namespace qbus::regs {
namespace {

void NoMessage(const std::string& title, const std::string&) { ADD_FAILURE() << title; }

class RegisterNames : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("QUORILBUS_SIM_TRACE");
    ASSERT_TRUE(hw::BindFile(QBUS_ACCESS_FILE, NoMessage, &library_));
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
      {0x0000, 0x50, 1, "Device-specific register 0x50, bit 1"},
      {0x0000, 0xF0, 1, "Vendor-Specific capability at 0xE0, byte 0xF0, bit 1"},
      {0x0010, 0x10, 0, "BAR0 (0x10), bit 0: I/O space indicator (read-only)"},
      {0x0010, 0x42, 0, "Vendor-Specific Capability Length (0x42), bit 0 (read-only)"},
      {0x00E0, 0x19, 3, "Secondary Bus Number (0x19), bit 3"},
      {0x00E0, 0x3E, 6, "Bridge Control (0x3E), bit 6: Secondary Bus Reset"},
      {0x00E0, 0x48, 5, "PCI Express Device Control (0x48), bit 5: Max Payload Size (bits 7-5)"},
      {0x00E0, 0x92, 0, "Bridge Subsystem Vendor ID capability at 0x90, byte 0x92, bit 0"},
      {0x00E0, 0xA5, 7, "Power Management Control/Status (0xA4), bit 15: PME Status (write 1 to "
                        "clear)"},
      {0x0100, 0x52, 0, "MSI Message Control (0x52), bit 0: MSI Enable"},
      {0x0100, 0xB3, 7, "MSI-X Message Control (0xB2), bit 15: MSI-X Enable"},
      {0x0100, 0x104, 4, "Advanced Error Reporting Uncorrectable Error Status (0x104), bit 4: "
                         "Data Link Protocol Error (write 1 to clear)"},
      {0x0100, 0x118, 6, "Advanced Error Reporting Advanced Error Capabilities and Control "
                         "(0x118), bit 6: ECRC Generation Enable"},
      {0x0100, 0x144, 0, "Virtual Channel capability at 0x140, byte 0x144, bit 0"},
      {0x0100, 0x1F0, 0, "Device Serial Number capability at 0x160, byte 0x1F0, bit 0"},
  };
  for (const auto& [location, offset, bit, name] : kBits) {
    SCOPED_TRACE(name);
    EXPECT_EQ(DescribeBit(ReadConfigLayout(library_.access, location), offset, bit), name);
  }
  const ConfigLayout host = ReadConfigLayout(library_.access, 0x0000);
  EXPECT_EQ(DescribeRegisters(host, 0x04, 4), "Command (0x04) and Status (0x06)");
  EXPECT_EQ(DescribeRegisters(host, 0x0C, 4),
            "Cache Line Size (0x0C), Latency Timer (0x0D), Header Type (0x0E) and BIST (0x0F)");
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
  ASSERT_TRUE(hw::BindFile(QBUS_ACCESS_FILE, NoMessage, &library_));
  const ConfigLayout looping = ReadConfigLayout(library_.access, 0x0008);
  ASSERT_EQ(looping.capabilities.size(), 3u);
  EXPECT_EQ(looping.capabilities[1].offset, 0x50u);
  EXPECT_EQ(looping.capabilities[2].offset, 0x100u);
  EXPECT_TRUE(ReadConfigLayout(library_.access, 0x0010).capabilities.empty());
  EXPECT_EQ(DescribeBit(ReadConfigLayout(library_.access, 0x0030), 0x04, 0),
            "Command (0x04), bit 0: I/O Space Enable")
      << "an absent function has the common header's names";
}

}  // namespace
}  // namespace qbus::regs
