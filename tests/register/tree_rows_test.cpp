// SPDX-License-Identifier: GPL-3.0-or-later
// The decoded tree, row by row, on functions made byte by byte: each header byte holds its own
// offset plus 0x40, so a register read one byte off or one byte too wide shows another value;
// each field's value lies beside its neighbour code (an exit latency of 0b110 beside 0b111, the
// 64 GT/s bit beside a reserved one, an egress vector 32 bits long beside 33).
#include <algorithm>
#include <gtest/gtest.h>

#include "config_space/function_tree.h"

namespace qbus::config_space {
namespace {

using Bytes = std::vector<uint8_t>;

void Put(Bytes& bytes, size_t at, uint32_t value, int width = 4) {
  for (int i = 0; i < width; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// A function of header type `type` with no capability list, bytes 0x10 to the header's end
// holding their offset plus 0x40, but for the interrupt pin: INTB#.
Bytes Header(int type, uint32_t end) {
  Bytes bytes(0x100, 0);
  Put(bytes, 0x00, 0x12348086);
  Put(bytes, 0x0E, static_cast<uint32_t>(type), 1);
  for (uint32_t at = 0x10; at < end; ++at) Put(bytes, at, at + 0x40, 1);
  Put(bytes, 0x3D, 0x02, 1);
  return bytes;
}
Bytes Device() { return Header(0, 0x40); }
Bytes Bridge() { return Header(1, 0x40); }
Bytes CardBus() { return Header(2, 0x48); }

// A PCI Express endpoint (version 2) at 0x40 with `link` as its Link Capabilities (0x4C) and
// `link2` as Link Capabilities 2 (0x6C); Power Management at 0x80, followed at once by a
// vendor-specific capability at 0x88; ACS at 0x100 with `acs` as its capability register
// (0x104), control 0x001D, and eight dwords 0x11111111 to 0x88888888 from 0x108.
Bytes Express(uint32_t link, uint32_t link2, uint32_t acs) {
  Bytes bytes(0x1000, 0);
  Put(bytes, 0x00, 0x12348086);
  Put(bytes, 0x04, 0x00100000);
  Put(bytes, 0x08, 0x02000001);
  Put(bytes, 0x34, 0x40, 1);
  Put(bytes, 0x40, 0x00028010);
  Put(bytes, 0x4C, link);
  Put(bytes, 0x52, 0x1043, 2);
  Put(bytes, 0x6C, link2);
  Put(bytes, 0x80, 0xC8038801);
  Put(bytes, 0x84, 0x1E402008);
  Put(bytes, 0x88, 0x000C0009);
  Put(bytes, 0x100, 0x0001000D);
  Put(bytes, 0x104, 0x001D0000 | acs);
  for (uint32_t i = 0; i < 8; ++i) Put(bytes, 0x108 + 4 * i, (i + 1) * 0x11111111u);
  return bytes;
}
// Link Capabilities: port 0x5A, Data Link Layer Link Active Reporting and Surprise Down, x4 at
// 8 GT/s; the rest as the name says. ACS: all but Egress Control, a 32-bit vector size.
Bytes L0s6L1s7() { return Express(0x5A1BE443, 0, 0x205F); }  // ASPM L0s, Clock PM clear
Bytes L0s7L1s6() { return Express(0x5A1F7843, 0, 0x205F); }  // ASPM L1, Clock PM set
Bytes MaxSpeed64() { return Express(0x5A1BE446, 0, 0x205F); }
Bytes MaxSpeedReserved7() { return Express(0x5A1BE447, 0, 0x205F); }
Bytes Only64() { return Express(0x5A1BE443, 0x00000140, 0x205F); }            // and Crosslink
Bytes AllBut64Reserved() { return Express(0x5A1BE443, 0x000000BE, 0x205F); }  // bit 7 set
// Egress Control (bit 5) beside Direct Translated (bit 6), with vector sizes 32, 33 and 0.
Bytes Egress32() { return Express(0x5A1BE443, 0, 0x203F); }
Bytes Egress33() { return Express(0x5A1BE443, 0, 0x213F); }
Bytes Egress256() { return Express(0x5A1BE443, 0, 0x003F); }

// A device whose one capability, at 0x50, is MSI with Message Control `control` (bit 7: 64-bit
// addresses, bit 8: masking), or an ID no table knows; bytes 0x54 on hold their offset plus
// 0x40, so a register one byte wide or narrow shows another value.
Bytes WithCapability(uint32_t id, uint32_t control) {
  Bytes bytes = Header(0, 0x40);
  Put(bytes, 0x06, 0x0010, 2);
  Put(bytes, 0x34, 0x50, 1);
  Put(bytes, 0x50, id | control << 16);
  for (uint32_t at = 0x54; at < 0x100; ++at) Put(bytes, at, at + 0x40, 1);
  return bytes;
}
Bytes Msi32() { return WithCapability(0x05, 0x0000); }
Bytes Msi32Masked() { return WithCapability(0x05, 0x0100); }
Bytes Msi64() { return WithCapability(0x05, 0x0080); }
Bytes Msi64Masked() { return WithCapability(0x05, 0x0180); }
Bytes UnknownCapability() { return WithCapability(0x42, 0x0000); }
// A bridge whose I/O window is 32-bit (upper halves 0x1234 and 0x1235) and whose prefetchable
// window is 64-bit (upper halves 2 and 3), beside bytes that hold their offset plus 0x40.
Bytes BridgeWindows() {
  Bytes bytes = Bridge();
  Put(bytes, 0x1C, 0xF1E1, 2);
  Put(bytes, 0x30, 0x12351234);
  Put(bytes, 0x24, 0xF0F1F001);
  Put(bytes, 0x28, 0x00000002);
  Put(bytes, 0x2C, 0x00000003);
  return bytes;
}
// A link that goes no faster than 2.5 GT/s, with `target` as its Target Link Speed and a
// captured slot power of 25 W.
Bytes SlowLink(uint32_t target) {
  Bytes bytes = Express(0x5A1BE441, 0, 0x205F);
  Put(bytes, 0x44, 25u << 18);
  Put(bytes, 0x70, target, 2);
  return bytes;
}
Bytes SlowLinkTarget0() { return SlowLink(0); }
Bytes SlowLinkTarget2() { return SlowLink(2); }
// A device whose expansion ROM sets bit 10 beside the base's lowest bit 11.
Bytes DeviceRom() {
  Bytes bytes = Device();
  Put(bytes, 0x30, 0x12345C01);
  return bytes;
}
// The PCI Express capability at 0x40 with `capabilities` as its own register: the port type in
// bits 7-4, Slot Implemented in bit 8.
Bytes Port(uint32_t capabilities) {
  Bytes bytes = L0s6L1s7();
  Put(bytes, 0x42, capabilities, 2);
  return bytes;
}
Bytes RootPortWithoutSlot() { return Port(0x0042); }
Bytes RootPortWithSlot() { return Port(0x0142); }
Bytes DownstreamPortWithSlot() { return Port(0x0162); }
Bytes EndpointClaimingASlot() { return Port(0x0102); }
Bytes IntegratedEndpoint() { return Port(0x0092); }
// Device Capabilities with 512-byte payloads, one phantom function bit and the old Attention
// Button Present flag.
Bytes DeviceCapabilities() {
  Bytes bytes = L0s6L1s7();
  Put(bytes, 0x44, 0x0000100A);
  return bytes;
}
// Power Management at 0x80 with version 3, Aux Current 375 mA beside D1 Support.
Bytes PowerFlags() {
  Bytes bytes = L0s6L1s7();
  Put(bytes, 0x82, 0x03C3, 2);
  return bytes;
}

// A block line: "name at place"; a register: "place name = value"; a field, indented; then the
// access and meaning where the tree gives them.
std::string Text(const DecodedLine& line) {
  std::string text = line.depth == 0 ? line.name + " at " + line.place
                                     : (line.depth == 2 ? "  " : "") + line.place + " " +
                                           line.name + " = " + line.value;
  if (!line.access.empty()) text += ", " + line.access;
  if (!line.meaning.empty()) text += ": " + line.meaning;
  return text;
}

struct Row {
  const char* name;
  Bytes (*function)();
  const char* from;  // the key of the first line shown
  int depth;         // lines deeper than this are left out
  int count;         // lines shown; 0: to the end of the block
  const char* text;
};

void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }

class TreeRows : public ::testing::TestWithParam<Row> {};

TEST_P(TreeRows, ShowTheLayoutsLines) {
  const Row& row = GetParam();
  const std::vector<DecodedLine> tree = DecodeFunction(row.function());
  auto line = std::find_if(tree.begin(), tree.end(),
                           [&](const DecodedLine& l) { return l.key == row.from; });
  ASSERT_NE(line, tree.end()) << row.from;
  std::string text;
  int shown = 0;
  for (auto first = line; line != tree.end() && (row.count == 0 || shown < row.count); ++line) {
    if (line != first && line->depth == 0) break;
    if (line->depth > row.depth) continue;
    text += (shown++ == 0 ? "" : "\n") + Text(*line);
  }
  EXPECT_EQ(text, row.text);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TreeRows,
    ::testing::Values(
        Row{"DeviceHeader", Device, "register 0x10", 1, 0,
            "0x10 BAR0 = 0x53525150\n"
            "0x14 BAR1 = 0x57565554\n"
            "0x18 BAR2 = 0x5B5A5958\n"
            "0x1C BAR3 = 0x5F5E5D5C\n"
            "0x20 BAR4 = 0x63626160\n"
            "0x24 BAR5 = 0x67666564\n"
            "0x28 CardBus CIS Pointer = 0x6B6A6968, read-only\n"
            "0x2C Subsystem Vendor ID = 0x6D6C, read-only\n"
            "0x2E Subsystem ID = 0x6F6E, read-only\n"
            "0x30 Expansion ROM Base Address = 0x73727170\n"
            "0x34 Capabilities Pointer = 0x74, read-only\n"
            "0x35 Reserved = 0x777675, reserved\n"
            "0x38 Reserved = 0x7B7A7978, reserved\n"
            "0x3C Interrupt Line = 0x7C, read-write\n"
            "0x3D Interrupt Pin = 0x02, read-only: INTB#\n"
            "0x3E Min_Gnt = 0x7E, read-only: 31500 ns\n"
            "0x3F Max_Lat = 0x7F, read-only: 31750 ns"},
        Row{"BridgeHeader", Bridge, "register 0x10", 1, 0,
            "0x10 BAR0 = 0x53525150\n"
            "0x14 BAR1 = 0x57565554\n"
            "0x18 Primary Bus Number = 0x58, read-write\n"
            "0x19 Secondary Bus Number = 0x59, read-write\n"
            "0x1A Subordinate Bus Number = 0x5A, read-write\n"
            "0x1B Secondary Latency Timer = 0x5B, read-write\n"
            "0x1C I/O Base = 0x5C\n"
            "0x1D I/O Limit = 0x5D\n"
            "0x1E Secondary Status = 0x5F5E\n"
            "0x20 Memory Base = 0x6160\n"
            "0x22 Memory Limit = 0x6362\n"
            "0x24 Prefetchable Memory Base = 0x6564\n"
            "0x26 Prefetchable Memory Limit = 0x6766\n"
            "0x28 Prefetchable Base Upper 32 Bits = 0x6B6A6968, read-write\n"
            "0x2C Prefetchable Limit Upper 32 Bits = 0x6F6E6D6C, read-write\n"
            "0x30 I/O Base Upper 16 Bits = 0x7170, read-write\n"
            "0x32 I/O Limit Upper 16 Bits = 0x7372, read-write\n"
            "0x34 Capabilities Pointer = 0x74, read-only\n"
            "0x35 Reserved = 0x777675, reserved\n"
            "0x38 Expansion ROM Base Address = 0x7B7A7978\n"
            "0x3C Interrupt Line = 0x7C, read-write\n"
            "0x3D Interrupt Pin = 0x02, read-only: INTB#\n"
            "0x3E Bridge Control = 0x7F7E"},
        Row{"BridgeIoWindow", Bridge, "register 0x1C", 2, 6,
            "0x1C I/O Base = 0x5C\n"
            "  bits 3-0 Addressing capability (16-bit or 32-bit) = 0xC, read-only: reserved (12)\n"
            "  bits 7-4 Address bits 15-12 of the window = 0x5, read-write: 0x5000-0x5FFF (4 KB)\n"
            "0x1D I/O Limit = 0x5D\n"
            "  bits 3-0 Addressing capability (16-bit or 32-bit) = 0xD, read-only: reserved (13)\n"
            "  bits 7-4 Address bits 15-12 of the window = 0x5, read-write: 0x5FFF"},
        Row{"CardBusHeader", CardBus, "register 0x10", 1, 0,
            "0x10 CardBus Socket Base Address = 0x53525150, read-write\n"
            "0x14 Capabilities Pointer = 0x54, read-only\n"
            "0x15 Reserved = 0x55, reserved\n"
            "0x16 Secondary Status = 0x5756\n"
            "0x18 PCI Bus Number = 0x58, read-write\n"
            "0x19 CardBus Bus Number = 0x59, read-write\n"
            "0x1A Subordinate Bus Number = 0x5A, read-write\n"
            "0x1B CardBus Latency Timer = 0x5B, read-write\n"
            "0x1C Memory Base 0 = 0x5F5E5D5C\n"
            "0x20 Memory Limit 0 = 0x63626160\n"
            "0x24 Memory Base 1 = 0x67666564\n"
            "0x28 Memory Limit 1 = 0x6B6A6968\n"
            "0x2C I/O Base 0 = 0x6F6E6D6C\n"
            "0x30 I/O Limit 0 = 0x73727170\n"
            "0x34 I/O Base 1 = 0x77767574\n"
            "0x38 I/O Limit 1 = 0x7B7A7978\n"
            "0x3C Interrupt Line = 0x7C, read-write\n"
            "0x3D Interrupt Pin = 0x02, read-only: INTB#\n"
            "0x3E Bridge Control = 0x7F7E\n"
            "0x40 Subsystem Vendor ID = 0x8180, read-only\n"
            "0x42 Subsystem ID = 0x8382, read-only\n"
            "0x44 16-bit Legacy Mode Base Address = 0x87868584, read-write"},

        Row{"ExitLatencies6And7", L0s6L1s7, "register 0x4C bits 11-10", 2, 4,
            "  bits 11-10 ASPM Support = 0x1, read-only: L0s\n"
            "  bits 14-12 L0s Exit Latency = 0x6, read-only: <4 us\n"
            "  bits 17-15 L1 Exit Latency = 0x7, read-only: >64 us\n"
            "  bit 18 Clock Power Management = 0, read-only"},
        Row{"ExitLatencies7And6", L0s7L1s6, "register 0x4C bits 11-10", 2, 4,
            "  bits 11-10 ASPM Support = 0x2, read-only: L1\n"
            "  bits 14-12 L0s Exit Latency = 0x7, read-only: >4 us\n"
            "  bits 17-15 L1 Exit Latency = 0x6, read-only: <64 us\n"
            "  bit 18 Clock Power Management = 1, read-only"},

        // MSI's Message Data is a word wherever it lies; masking keeps a word beside it.
        Row{"Msi32", Msi32, "register 0x54", 1, 0,
            "0x54 Message Address = 0x97969594\n"
            "0x58 Message Data = 0x9998, read-write"},
        Row{"Msi32Masked", Msi32Masked, "register 0x54", 1, 0,
            "0x54 Message Address = 0x97969594\n"
            "0x58 Message Data = 0x9998, read-write\n"
            "0x5A Extended Message Data = 0x9B9A, read-write\n"
            "0x5C Mask Bits = 0x9F9E9D9C, read-write\n"
            "0x60 Pending Bits = 0xA3A2A1A0, read-only"},
        Row{"Msi64", Msi64, "register 0x54", 1, 0,
            "0x54 Message Address = 0x97969594\n"
            "0x58 Message Upper Address = 0x9B9A9998, read-write\n"
            "0x5C Message Data = 0x9D9C, read-write"},
        Row{"Msi64Masked", Msi64Masked, "register 0x54", 1, 0,
            "0x54 Message Address = 0x97969594\n"
            "0x58 Message Upper Address = 0x9B9A9998, read-write\n"
            "0x5C Message Data = 0x9D9C, read-write\n"
            "0x5E Extended Message Data = 0x9F9E, read-write\n"
            "0x60 Mask Bits = 0xA3A2A1A0, read-write\n"
            "0x64 Pending Bits = 0xA7A6A5A4, read-only"},
        Row{"UnknownCapability", UnknownCapability, "capability 0x50", 1, 0,
            "Capability 0x42 at 0x50\n"
            "0x50 Capability ID = 0x42, read-only: no capability of this ID is known\n"
            "0x51 Next Capability Pointer = 0x00, read-only"},
        Row{"BridgeIoWindow32Bit", BridgeWindows, "register 0x1C", 2, 3,
            "0x1C I/O Base = 0xE1\n"
            "  bits 3-0 Addressing capability (16-bit or 32-bit) = 0x1, read-only: 32-bit\n"
            "  bits 7-4 Address bits 15-12 of the window = 0xE, read-write: "
            "0x1234E000-0x1235FFFF (72 KB)"},
        Row{"BridgePrefetchableWindow64Bit", BridgeWindows, "register 0x24", 2, 3,
            "0x24 Prefetchable Memory Base = 0xF001\n"
            "  bits 3-0 Addressing capability (32-bit or 64-bit) = 0x1, read-only: 64-bit\n"
            "  bits 15-4 Address bits 31-20 of the window = 0xF00, read-write: "
            "0x00000002F0000000-0x00000003F0FFFFFF (4112 MB)"},
        // A target of 0 on a link of 2.5 GT/s only is that speed hardwired; 2 is still 5 GT/s.
        Row{"TargetSpeed0OnASlowLink", SlowLinkTarget0, "register 0x70 bits 3-0", 2, 1,
            "  bits 3-0 Target Link Speed = 0x0, read-write: 2.5 GT/s"},
        Row{"TargetSpeed2OnASlowLink", SlowLinkTarget2, "register 0x70 bits 3-0", 2, 1,
            "  bits 3-0 Target Link Speed = 0x2, read-write: 5 GT/s"},
        Row{"TargetSpeed0OnAFastLink", L0s6L1s7, "register 0x70 bits 3-0", 2, 1,
            "  bits 3-0 Target Link Speed = 0x0, read-write: reserved (0)"},
        Row{"CapturedSlotPower25W", SlowLinkTarget0, "register 0x44 bits 25-18", 2, 2,
            "  bits 25-18 Captured Slot Power Limit Value = 0x19, read-only: 25 W\n"
            "  bits 27-26 Captured Slot Power Limit Scale = 0x0, read-only: x1.0"},
        // BAR5 says 64-bit, but the CardBus CIS pointer after it is no upper half.
        Row{"LastBarSays64Bit", Device, "register 0x24", 2, 5,
            "0x24 BAR5 = 0x67666564\n"
            "  bit 0 I/O space indicator = 0, read-only: memory\n"
            "  bits 2-1 Memory type (32-bit, 64-bit) = 0x2, read-only: 64-bit\n"
            "  bit 3 Prefetchable = 0, read-only: not prefetchable\n"
            "  bits 31-4 Base address = 0x6766656, read-write: 0x67666560 (64-bit, but no BAR "
            "follows for the upper half)"},
        Row{"RomBaseBesideReservedBit10", DeviceRom, "register 0x30", 2, 4,
            "0x30 Expansion ROM Base Address = 0x12345C01\n"
            "  bit 0 ROM Enable = 1, read-write\n"
            "  bits 10-1 Reserved = 0x200, reserved\n"
            "  bits 31-11 ROM base address = 0x02468B, read-write: 0x12345800"},
        Row{"AuxCurrentBesideD1", PowerFlags, "register 0x82 bits 2-0", 2, 5,
            "  bits 2-0 Version = 0x3, read-only\n"
            "  bit 3 PME Clock = 0, read-only\n"
            "  bit 4 Reserved = 0, reserved\n"
            "  bit 5 Device Specific Initialization = 0, read-only\n"
            "  bits 8-6 Aux Current = 0x7, read-only: 375 mA"},
        Row{"PowerManagementIsEightBytes", L0s6L1s7, "capability 0x80", 1, 0,
            "Power Management at 0x80\n"
            "0x80 Capability ID = 0x01, read-only: Power Management\n"
            "0x81 Next Capability Pointer = 0x88, read-only\n"
            "0x82 Capabilities = 0xC803\n"
            "0x84 Control/Status = 0x2008\n"
            "0x86 Bridge Extensions = 0x40, read-only\n"
            "0x87 Data = 0x1E, read-only"},

        Row{"MaxLinkSpeed64", MaxSpeed64, "register 0x4C bits 3-0", 2, 1,
            "  bits 3-0 Max Link Speed = 0x6, read-only: 64 GT/s"},
        Row{"MaxLinkSpeedReserved7", MaxSpeedReserved7, "register 0x4C bits 3-0", 2, 1,
            "  bits 3-0 Max Link Speed = 0x7, read-only: reserved (7)"},
        Row{"SupportedSpeedsOnly64", Only64, "register 0x6C bits 7-1", 2, 2,
            "  bits 7-1 Supported Link Speeds Vector = 0x20, read-only: 64 GT/s\n"
            "  bit 8 Crosslink Supported = 1, read-only"},
        Row{"SupportedSpeedsAllBut64", AllBut64Reserved, "register 0x6C bits 7-1", 2, 1,
            "  bits 7-1 Supported Link Speeds Vector = 0x5F, read-only: 2.5 GT/s, 5 GT/s, 8 GT/s, "
            "16 GT/s, 32 GT/s, reserved"},

        Row{"AcsWithoutEgressControl", L0s6L1s7, "capability 0x100", 1, 0,
            "Access Control Services at 0x100\n"
            "0x100 Extended Capability Header = 0x0001000D\n"
            "0x104 ACS Capability = 0x205F\n"
            "0x106 ACS Control = 0x001D"},
        Row{"AcsEgressVectorOf32Bits", Egress32, "capability 0x100", 1, 0,
            "Access Control Services at 0x100\n"
            "0x100 Extended Capability Header = 0x0001000D\n"
            "0x104 ACS Capability = 0x203F\n"
            "0x106 ACS Control = 0x001D\n"
            "0x108 Egress Control Vector (bits 31-0) = 0x11111111, read-write"},
        Row{"AcsEgressVectorOf33Bits", Egress33, "register 0x108", 1, 0,
            "0x108 Egress Control Vector (bits 31-0) = 0x11111111, read-write\n"
            "0x10C Egress Control Vector (bits 63-32) = 0x22222222, read-write"},
        Row{"AcsEgressVectorSize0Is256Bits", Egress256, "register 0x108", 1, 0,
            "0x108 Egress Control Vector (bits 31-0) = 0x11111111, read-write\n"
            "0x10C Egress Control Vector (bits 63-32) = 0x22222222, read-write\n"
            "0x110 Egress Control Vector (bits 95-64) = 0x33333333, read-write\n"
            "0x114 Egress Control Vector (bits 127-96) = 0x44444444, read-write\n"
            "0x118 Egress Control Vector (bits 159-128) = 0x55555555, read-write\n"
            "0x11C Egress Control Vector (bits 191-160) = 0x66666666, read-write\n"
            "0x120 Egress Control Vector (bits 223-192) = 0x77777777, read-write\n"
            "0x124 Egress Control Vector (bits 255-224) = 0x88888888, read-write"}),
    [](const auto& info) { return std::string(info.param.name); });

// A register line sums up its fields: set flags by name, values by meaning or number, clear
// flags and reserved fields (set ones too) left out.
TEST(TreeSummary, NamesWhatEachRegistersFieldsHold) {
  const struct {
    Bytes (*function)();
    const char* key;
    const char* summary;
  } kRows[] = {
      {L0s6L1s7, "register 0x4C",
       "Max Link Speed 8 GT/s, Maximum Link Width x4, ASPM Support L0s, L0s Exit Latency <4 us, "
       "L1 Exit Latency >64 us, Surprise Down Error Reporting Capable, Data Link Layer Link Active "
       "Reporting Capable, Port Number 90"},
      // A hint at the values leaves the name: "Addressing capability (16-bit or 32-bit)".
      {Bridge, "register 0x1C",
       "Addressing capability reserved (12), Address bits 15-12 of the "
       "window 0x5000-0x5FFF (4 KB)"},
      // A hint at the values ("(D0 to D3hot)") leaves, a field of 0 without a meaning too.
      {L0s6L1s7, "register 0x84", "Power State D0, No Soft Reset, Data Scale 0x1"},
      // Another parenthesis stays: "(PCI Express 1.0)" is no hint.
      {DeviceCapabilities, "register 0x44",
       "Max Payload Size Supported 512 bytes, Phantom Functions Supported 1 bit, Endpoint L0s "
       "Acceptable Latency <64 ns, Endpoint L1 Acceptable Latency <1 us, Attention Button Present "
       "(PCI Express 1.0), Captured Slot Power Limit Value 0 W, Captured Slot Power Limit Scale "
       "x1.0"},
      {L0s6L1s7, "register 0x42",
       "Capability Version 0x2, Device/Port Type PCI Express Endpoint, Interrupt Message Number 0"},
      // 0x5F5E: reserved bits 4-1 and 6 set, DEVSEL 3.
      {Bridge, "register 0x1E",
       "Master Data Parity Error, DEVSEL Timing reserved (3), Signaled Target Abort, Received "
       "Target Abort, Received System Error"},
  };
  for (const auto& row : kRows) {
    const std::vector<DecodedLine> tree = DecodeFunction(row.function());
    const auto line = std::find_if(tree.begin(), tree.end(),
                                   [&](const DecodedLine& l) { return l.key == row.key; });
    ASSERT_NE(line, tree.end()) << row.key;
    EXPECT_EQ(line->summary, row.summary) << row.key;
  }
}

// A function lists the registers it has: a slot's where a root or downstream port has one, the
// root's on a root port, a link's unless it is integrated in the root complex.
TEST(TreeRegisters, AreTheOnesTheFunctionHas) {
  const struct {
    Bytes (*function)();
    uint32_t slot_capabilities, root_control, link_capabilities;  // 1: listed
  } kRows[] = {
      {RootPortWithoutSlot, 0, 1, 1},    {RootPortWithSlot, 1, 1, 1},
      {DownstreamPortWithSlot, 1, 0, 1}, {EndpointClaimingASlot, 0, 0, 1},
      {IntegratedEndpoint, 0, 0, 0},
  };
  for (const auto& row : kRows) {
    const std::vector<DecodedLine> tree = DecodeFunction(row.function());
    const auto listed = [&](const char* key) -> uint32_t {
      return std::any_of(tree.begin(), tree.end(),
                         [&](const DecodedLine& l) { return l.key == key; });
    };
    const uint32_t got[] = {listed("register 0x54"), listed("register 0x5C"),
                            listed("register 0x4C")};
    const uint32_t want[] = {row.slot_capabilities, row.root_control, row.link_capabilities};
    EXPECT_EQ(std::vector<uint32_t>(std::begin(got), std::end(got)),
              std::vector<uint32_t>(std::begin(want), std::end(want)))
        << &row - kRows;
  }
}

}  // namespace
}  // namespace qbus::config_space
