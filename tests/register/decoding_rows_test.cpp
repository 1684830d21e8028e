// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding, row by row, on functions made byte by byte: each row's value lies next to a near
// miss (a reserved code beside the largest defined one, a field cut at its high end, a speed
// field beside a width field), so a decoder that confuses them gives another text.
#include <gtest/gtest.h>

#include "config_space/function_dump.h"
#include "config_space/register_names.h"

namespace qbus::config_space {
namespace {

using Bytes = std::vector<uint8_t>;

void Put(Bytes& bytes, size_t at, uint32_t value, int width = 4) {
  for (int i = 0; i < width; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// A device with a capability list: PCI Express version 2 at 0x40, then vendor-specific (0x18
// bytes) at 0x100 and designated vendor-specific (0x10 bytes) at 0x118 in extended space.
Bytes Device() {
  Bytes bytes(0x1000, 0);
  Put(bytes, 0x00, 0x12348086);
  Put(bytes, 0x04, 0x00100000);
  Put(bytes, 0x34, 0x40, 1);
  Put(bytes, 0x40, 0x00020010);
  Put(bytes, 0x100, 0x1181000B);
  Put(bytes, 0x104, 0x01800001);
  Put(bytes, 0x118, 0x00010023);
  Put(bytes, 0x11C, 0x01000001);
  return bytes;
}

// A PCI bridge (header type 1) with an I/O BAR1, and a CardBus bridge (type 2) whose list
// starts at 0x14, with Power Management at 0x80.
Bytes Bridge() {
  Bytes bytes(0x100, 0);
  Put(bytes, 0x00, 0x12348086);
  Put(bytes, 0x0E, 0x01, 1);
  Put(bytes, 0x14, 0x0000E001);
  return bytes;
}
Bytes CardBus() {
  Bytes bytes(0x100, 0);
  Put(bytes, 0x00, 0xAC56104C);
  Put(bytes, 0x04, 0x02100000);
  Put(bytes, 0x0E, 0x02, 1);
  Put(bytes, 0x14, 0x80, 1);
  Put(bytes, 0x34, 0x44, 1);  // part of the CardBus header, not a pointer
  Put(bytes, 0x80, 0x00020001);
  return bytes;
}

struct Row {
  const char* name;
  Bytes (*function)();
  uint32_t offset;
  int width;
  uint32_t shown;  // the value the row shows, `width` bytes at `offset`
  int bit;         // -1: the registers, else this bit's description
  const char* text;
};

class Decoding : public ::testing::TestWithParam<Row> {};

TEST_P(Decoding, SaysWhatTheShownValueMeans) {
  const Row& row = GetParam();
  const ConfigLayout layout = ReadConfigLayout(ReaderOver(row.function()));
  const ShownBytes shown{row.offset, row.width, row.shown, {}, {}, {}};
  EXPECT_EQ(row.bit < 0 ? DescribeRegisters(layout, row.offset, row.width, &shown)
                        : DescribeBit(layout, row.offset, row.bit, &shown),
            row.text);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Decoding,
    ::testing::Values(
        Row{"PayloadSize4096", Device, 0x48, 2, 0x00A0, 5,
            "PCI Express Device Control (0x48), bit 5: Max Payload Size (bits 7-5) = 4096 bytes"},
        Row{"PayloadSizeReservedCode6", Device, 0x48, 2, 0x00C0, 5,
            "PCI Express Device Control (0x48), bit 5: Max Payload Size (bits 7-5) = reserved (6)"},
        Row{"TargetSpeedIsASpeed", Device, 0x70, 2, 0x0003, 0,
            "PCI Express Link Control 2 (0x70), bit 0: Target Link Speed (bits 3-0) = 8 GT/s"},
        Row{"SupportedSpeedsUpTo8", Device, 0x6C, 4, 0x0000000E, 1,
            "PCI Express Link Capabilities 2 (0x6C), bit 1: Supported Link Speeds Vector (bits "
            "7-1, read-only) = 2.5 GT/s, 5 GT/s, 8 GT/s"},
        Row{"SupportedSpeedsOnly16", Device, 0x6C, 4, 0x00000010, 1,
            "PCI Express Link Capabilities 2 (0x6C), bit 1: Supported Link Speeds Vector (bits "
            "7-1, read-only) = 16 GT/s"},
        Row{"WidthWhole", Device, 0x52, 2, 0x0041, 4,
            "PCI Express Link Status (0x52), bit 4: Negotiated Link Width (bits 9-4, read-only) = "
            "x4"},
        Row{"WidthCutAtItsHighEnd", Device, 0x52, 1, 0x41, 4,
            "PCI Express Link Status (0x52), bit 4: Negotiated Link Width (bits 9-4, read-only)"},
        Row{"VendorSpecificEndsAtItsLength", Device, 0x114, 4, 0, -1,
            "Vendor-Specific Extended Dword 3 (0x114)"},
        Row{"DesignatedVendorSpecificEndsAtItsLength", Device, 0x128, 4, 0, -1,
            "Extended configuration space 0x128-0x12B (outside every capability)"},
        Row{"BridgeSecondBar", Bridge, 0x14, 4, 0x0000E001, -1,
            "BAR1 (0x14):\nI/O space indicator = I/O\nBase address = 0xE000"},
        Row{"CardBusListFrom0x14", CardBus, 0x80, 1, 0x01, -1,
            "Power Management Capability ID (0x80):\nCapability ID = Power Management"},
        Row{"CardBus0x44IsNoCapability", CardBus, 0x44, 1, 0x00, -1,
            "16-bit Legacy Mode Base Address (0x44)"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace qbus::config_space
