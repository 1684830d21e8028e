// SPDX-License-Identifier: GPL-3.0-or-later
// What field values mean, on the simulated machine's built-in functions and on a PCI Express
// graphics card (tests/dumps/express.dump), each row a register read at its width as a row of
// bit boxes shows it.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "config_space/register_names.h"
#include "hw/library_binding.h"
#include "names/device_names.h"
#include "register/register_access.h"

namespace qbus::config_space {
namespace {

void NoMessage(const std::string& title, const std::string&) { ADD_FAILURE() << title; }

constexpr int kLine = -1;  // the row's result line rather than one of its boxes

TEST(ValueMeanings, EachKindOfFieldSaysWhatItsValueMeans) {
  names::DeviceNames names;
  const ClassNamer class_names = [&names](ClassPart part, uint8_t base, uint8_t sub,
                                          uint8_t interface) {
    return part == ClassPart::kClass      ? names.ClassName(base)
           : part == ClassPart::kSubclass ? names.SubclassName(base, sub)
                                          : names.InterfaceName(base, sub, interface);
  };
  const struct {
    const char* dump;  // null: the built-in machine
    uint32_t location, offset;
    int width, bit;
    const char* text;
  } kRows[] = {
      {nullptr, 0x0000, 0x0E, 1, 0,
       "Header Type (0x0E), bit 0: Header Layout (bits 6-0, read-only) = device (type 0)"},
      {nullptr, 0x00E0, 0x0E, 1, kLine,
       "Header Type (0x0E):\n"
       "Header Layout = PCI-to-PCI bridge (type 1)\n"
       "Multi-Function Device = single-function device"},
      {nullptr, 0x0010, 0x08, 4, kLine,
       "Revision ID (0x08), Programming Interface (0x09), Subclass (0x0A) and Class Code (0x0B):\n"
       "Programming Interface = VGA controller\n"
       "Subclass = VGA compatible controller\n"
       "Class Code = Display controller"},
      {nullptr, 0x0010, 0x10, 4, kLine,
       "BAR0 (0x10):\n"
       "I/O space indicator = memory\n"
       "Memory type (32-bit, 64-bit) = 64-bit\n"
       "Prefetchable = not prefetchable\n"
       "Base address = 0x00000000F6000000"},
      {nullptr, 0x0010, 0x18, 4, 3, "BAR2 (0x18), bit 3: Prefetchable (read-only) = prefetchable"},
      {nullptr, 0x0010, 0x1C, 4, 0,
       "BAR3 (0x1C), bit 0: Upper half of a 64-bit base address (bits 31-0) = "
       "0x00000000E0000000"},
      {nullptr, 0x0010, 0x20, 4, kLine,
       "BAR4 (0x20):\n"
       "I/O space indicator = I/O\n"
       "Base address = 0xF000"},
      {nullptr, 0x0010, 0x3D, 1, kLine,
       "Interrupt Pin (0x3D):\n"
       "Interrupt Pin = INTA#"},
      {nullptr, 0x0010, 0x70, 1, kLine,
       "PCI Express Capability ID (0x70):\n"
       "Capability ID = PCI Express"},
      {nullptr, 0x0010, 0xD4, 2, 0,
       "Power Management Control/Status (0xD4), bit 0: Power State (D0 to D3hot) (bits 1-0) = "
       "D0"},
      {"express.dump", 0x0100, 0x0A, 1, kLine,
       "Subclass (0x0A):\n"
       "Subclass = VGA compatible controller"},
      {"express.dump", 0x0100, 0x78, 4, kLine,
       "PCI Express Capability ID (0x78), PCI Express Next Capability Pointer (0x79) and "
       "PCI Express Capabilities (0x7A):\n"
       "Capability ID = PCI Express\n"
       "Device/Port Type = PCI Express Endpoint\n"
       "Interrupt Message Number = 0"},
      {"express.dump", 0x0100, 0x7C, 4, kLine,
       "PCI Express Device Capabilities (0x7C):\n"
       "Max Payload Size Supported = 256 bytes\n"
       "Phantom Functions Supported = none\n"
       "Endpoint L0s Acceptable Latency = unlimited\n"
       "Endpoint L1 Acceptable Latency = unlimited\n"
       "Captured Slot Power Limit Value = 0 W\n"
       "Captured Slot Power Limit Scale = x1.0"},
      {"express.dump", 0x0100, 0x80, 2, kLine,
       "PCI Express Device Control (0x80):\n"
       "Max Payload Size = 128 bytes\n"
       "Max Read Request Size = 512 bytes"},
      {"express.dump", 0x0100, 0x84, 4, kLine,
       "PCI Express Link Capabilities (0x84):\n"
       "Max Link Speed = 5 GT/s\n"
       "Maximum Link Width = x17\n"
       "ASPM Support = L0s and L1\n"
       "L0s Exit Latency = <128 ns\n"
       "L1 Exit Latency = <4 us\n"
       "Port Number = 0"},
      {"express.dump", 0x0100, 0x88, 4, kLine,
       "PCI Express Link Control (0x88) and PCI Express Link Status (0x8A):\n"
       "ASPM Control = disabled\n"
       "Read Completion Boundary = 64 bytes\n"
       "Current Link Speed = 2.5 GT/s\n"
       "Negotiated Link Width = x16"},
      // A field cut by the width has no value to decode.
      {"express.dump", 0x0100, 0x8B, 1, 0,
       "PCI Express Link Status (0x8A), bit 8: Negotiated Link Width (bits 9-4, read-only)"},
      {"express.dump", 0x0100, 0x100, 4, kLine,
       "Advanced Error Reporting Extended Capability Header (0x100):\n"
       "Extended Capability ID = Advanced Error Reporting"},
  };
  for (const auto& [dump, location, offset, width, bit, text] : kRows) {
    SCOPED_TRACE(text);
    if (dump != nullptr) {
      setenv("QUORILBUS_SIM_DUMP", (std::string(QBUS_TEST_DUMPS "/") + dump).c_str(), 1);
    } else {
      unsetenv("QUORILBUS_SIM_DUMP");
    }
    hw::LoadedLibrary library;
    ASSERT_TRUE(hw::BindFile(QBUS_SIM_LIBRARY, NoMessage, &library));
    const ConfigReader read = regs::FunctionReader(library.access, location);
    const ShownBytes shown{offset, width, read(offset, static_cast<uint32_t>(width)).value(), read,
                           class_names, {}};
    const ConfigLayout layout = ReadConfigLayout(read);
    EXPECT_EQ(bit == kLine
                  ? DescribeRegisters(layout, offset, width, &shown)
                  : DescribeBit(layout, offset + static_cast<uint32_t>(bit / 8), bit % 8, &shown),
              text);
    hw::Unbind(&library);
  }
  unsetenv("QUORILBUS_SIM_DUMP");
}

}  // namespace
}  // namespace qbus::config_space
