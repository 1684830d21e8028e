// SPDX-License-Identifier: GPL-3.0-or-later
#include "access/sim/machine.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>

#include "access/sim/write_model.h"
#include "config_space/dump_file.h"
#include "config_space/function_tree.h"
#include "config_space/header_offsets.h"

namespace qbus::access::sim {
namespace {

using namespace config_space;

// One endpoint (00:02.0) and one bridge (00:1c.0), with the registers each write rule needs.
constexpr char kDump[] =
    "00:02.0 VGA compatible controller: X\n"
    "00: 86 80 92 3e 07 04 10 f9 02 00 00 03 10 00 00 00\n"
    "10: 04 00 00 f6 00 00 00 00 0c 00 00 e0 00 00 00 00\n"
    "20: 01 f0 00 00 00 00 00 00 00 00 00 00 43 10 94 86\n"
    "30: 00 00 0c 00 40 00 00 00 00 00 00 00 ff 01 00 00\n"
    "40: 09 70 0c 01 00 00 00 00 00 00 00 00 00 00 00 00\n"
    "70: 10 00 92 00 00 00 00 00 00 00 00 00 00 00 00 00\n"
    "\n"
    "00:1c.0 PCI bridge: X\n"
    "00: 86 80 38 a3 07 04 10 00 f0 00 04 06 00 00 81 00\n"
    "10: 00 00 00 00 00 00 00 00 00 01 01 00 f0 00 00 20\n"
    "20: 00 f7 10 f7 f1 ff 01 00 ff ff ff ff 00 00 00 00\n"
    "30: 00 00 00 00 40 00 00 00 00 00 00 00 7a 01 10 00\n";

constexpr uint32_t kVga = 0x0010;     // 00:02.0
constexpr uint32_t kBridge = 0x00E0;  // 00:1c.0

Machine MakeMachine() {
  ParsedDump dump = ParseDump(kDump, "test");
  EXPECT_EQ(dump.error, "");
  return Machine(std::move(dump.functions));
}

// Writes `value` and returns what reads back.
uint32_t WriteAndRead(Machine& m, uint32_t location, uint32_t offset, uint32_t width,
                      uint32_t value) {
  EXPECT_TRUE(m.Write(location, offset, width, value));
  return m.Read(location, offset, width).value_or(0xDEADBEEF);
}

// Every bit the decoded tree lists, in every dump the tests hold, takes a write as its field's
// access says: the simulated machine and the names read one layout. BARs and the ROM are sized
// from their address instead, and bytes a dump lacks take nothing.
TEST(SimMachine, WriteMasksFollowTheTablesForEveryRegister) {
  int bits = 0;
  for (const auto& file : std::filesystem::recursive_directory_iterator(QBUS_TEST_DUMPS)) {
    if (file.path().extension() != ".dump") continue;
    const ParsedDump dump = LoadDumpFile(file.path().string());
    ASSERT_EQ(dump.error, "") << file.path();
    for (const auto& [location, image] : dump.functions) {
      const WriteMasks masks = BuildWriteMasks(image);
      const int type = image.bytes[header::kHeaderType] & 0x7F;
      const uint32_t rom = type == 0 ? header::kRomAddress : header::kBridgeRomAddress;
      const std::vector<DecodedLine> tree = DecodeFunction(image.bytes);
      for (size_t i = 0; i < tree.size(); ++i) {
        const DecodedLine& line = tree[i];
        const bool whole = line.depth == 1 && (i + 1 == tree.size() || tree[i + 1].depth != 2);
        if (line.depth != 2 && !whole) continue;
        const bool sized =
            type != 2 && ((line.offset >= header::kBar0 && line.offset < header::BarsEnd(type)) ||
                          line.offset == rom);
        if (sized) continue;
        int low = 0, high = line.size * 8 - 1;
        if (line.depth == 2 && std::sscanf(line.place.c_str(), "bits %d-%d", &high, &low) != 2) {
          ASSERT_EQ(std::sscanf(line.place.c_str(), "bit %d", &low), 1) << line.place;
          high = low;
        }
        for (int bit = low; bit <= high; ++bit) {
          const uint32_t byte = line.offset + static_cast<uint32_t>(bit / 8);
          if (!image.held[byte]) continue;
          const int mask = 1 << (bit % 8);
          const bool writable = (masks.writable[byte] & mask) != 0;
          const bool clears = (masks.clear_on_one[byte] & mask) != 0;
          const std::string kind = writable ? "read-write" : clears ? "write 1 to clear" : "";
          const bool agrees = line.access == "reserved" || line.access == "read-only"
                                  ? kind.empty()
                                  : kind == line.access;
          ++bits;
          EXPECT_TRUE(agrees) << file.path().filename() << " " << std::hex << location << " "
                              << line.name << " at " << line.offset << " bit " << std::dec << bit
                              << ": tables say " << line.access << ", the machine '" << kind << "'";
        }
      }
    }
  }
  EXPECT_GT(bits, 30000);
}

// Registers of the capabilities take each field's kind from the register tables, on a PCI
// Express graphics card (tests/dumps/express.dump): a write, and what reads back.
TEST(SimMachine, CapabilityRegistersKeepReadOnlyAndClearWriteOneBits) {
  ParsedDump dump = LoadDumpFile(QBUS_TEST_DUMPS "/express.dump");
  ASSERT_EQ(dump.error, "");
  Machine m(std::move(dump.functions));
  constexpr uint32_t kCard = 0x0100;  // 01:00.0
  const struct {
    const char* name;
    uint32_t offset, width, value, expected;
  } kRows[] = {
      {"Link Status: read-only", 0x8A, 2, 0x1180, 0x1101},
      {"Link Status: write 1 to clear", 0x8A, 2, 0xC000, 0x1101},
      {"Device Control: read-write", 0x80, 2, 0x2830, 0x2830},
      {"Device Status: write 1 to clear, Aux Power read-only", 0x82, 2, 0x0001, 0x0018},
      {"PM Control/Status: only the state and PME fields take a write", 0x64, 2, 0xFFFF, 0x1F0B},
      {"PCI Express capabilities register: read-only", 0x7A, 2, 0xFFFF, 0x0002},
      {"MSI Message Control: MSI Enable, the enabled vectors, Extended Message Data Enable", 0x6A,
       2, 0xFFFF, 0x04F1},
      {"capability ID and next pointer", 0x68, 2, 0x0000, 0x7805},
      {"AER Uncorrectable Error Status: write 1 to clear", 0x104, 4, 0x00100000, 0x00000000},
      {"AER Uncorrectable Error Mask: reserved bits stay 0", 0x108, 4, 0xFFFFFFFF, 0xFFFFF030},
      {"AER header", 0x100, 4, 0, 0x00010001},
      {"Device Status 2: reserved", 0xA2, 2, 0xFFFF, 0x0000},
      {"past the capabilities: device-specific scratch", 0xC0, 4, 0x12345678, 0x12345678},
  };
  for (const auto& [name, offset, width, value, expected] : kRows) {
    SCOPED_TRACE(name);
    EXPECT_EQ(WriteAndRead(m, kCard, offset, width, value), expected);
  }
}

TEST(SimMachine, ReadsLittleEndianAtEachWidth) {
  Machine m = MakeMachine();
  EXPECT_EQ(m.Read(kVga, 0, 4), 0x3E928086u);
  EXPECT_EQ(m.Read(kVga, 2, 2), 0x3E92u);
  EXPECT_EQ(m.Read(kVga, 3, 1), 0x3Eu);
  EXPECT_EQ(m.Read(kVga, 0x80, 4), 0xFFFFFFFFu) << "bytes the dump lacks";
}

TEST(SimMachine, RefusesAbsentFunctionsMisalignedAndOutOfRangeAccesses) {
  Machine m = MakeMachine();
  EXPECT_FALSE(m.Read(0x0008, 0, 4));
  EXPECT_FALSE(m.Read(0x10000 | kVga, 0, 4)) << "location above 16 bits";
  EXPECT_FALSE(m.Read(kVga, 2, 4));
  EXPECT_FALSE(m.Read(kVga, 1, 2));
  EXPECT_FALSE(m.Read(kVga, 0x100, 1)) << "no extended space";
  EXPECT_FALSE(m.Read(kVga, 0xFFFFFFFC, 4));
  EXPECT_FALSE(m.Read(kVga, 0, 3));
  EXPECT_FALSE(m.Write(kVga, 0xFE, 4, 0));
  EXPECT_FALSE(m.Write(0x0008, 0x40, 1, 0));
  EXPECT_EQ(m.Read(kVga, 0xFC, 4), 0xFFFFFFFFu);
}

TEST(SimMachine, IdentifiersClassHeaderAndCapabilityHeadersAreReadOnly) {
  Machine m = MakeMachine();
  EXPECT_EQ(WriteAndRead(m, kVga, 0x00, 4, 0), 0x3E928086u);
  EXPECT_EQ(WriteAndRead(m, kVga, 0x08, 4, 0xFFFFFFFF), 0x03000002u);
  EXPECT_EQ(WriteAndRead(m, kVga, 0x0E, 1, 0x00), 0x00u);
  EXPECT_EQ(WriteAndRead(m, kBridge, 0x0E, 1, 0x00), 0x81u);
  EXPECT_EQ(WriteAndRead(m, kVga, 0x2C, 4, 0), 0x86941043u);
  EXPECT_EQ(WriteAndRead(m, kVga, 0x34, 1, 0x80), 0x40u);
  EXPECT_EQ(WriteAndRead(m, kVga, 0x40, 2, 0), 0x7009u) << "capability ID and next pointer";
  EXPECT_EQ(WriteAndRead(m, kVga, 0x42, 2, 0xBEEF), 0xBE0Cu)
      << "a vendor-specific length is read-only; the body past it takes writes";
  EXPECT_EQ(WriteAndRead(m, kVga, 0x70, 2, 0), 0x0010u);
  EXPECT_EQ(WriteAndRead(m, kVga, 0x48, 4, 0x12345678), 0x12345678u) << "device-specific";
}

TEST(SimMachine, CommandBitsAreMaskedAndStatusErrorsClearOnOne) {
  Machine m = MakeMachine();
  // All but Special Cycles (3), IDSEL Stepping (7) and the reserved bits 15-11.
  EXPECT_EQ(WriteAndRead(m, kVga, 0x04, 2, 0xFFFF), 0x0777u);
  EXPECT_EQ(WriteAndRead(m, kVga, 0x04, 2, 0x0000), 0x0000u);
  // Status 0xF910: writing bit 15 alone clears only it; the capability bit 4 stays.
  EXPECT_EQ(WriteAndRead(m, kVga, 0x06, 2, 0x8000), 0x7910u);
  EXPECT_EQ(WriteAndRead(m, kVga, 0x06, 2, 0x0010), 0x7910u);
  EXPECT_EQ(WriteAndRead(m, kVga, 0x06, 2, 0xFFFF), 0x0010u);
  // A dword write of command and status together.
  EXPECT_EQ(WriteAndRead(m, kVga, 0x04, 4, 0x00000406), 0x00100406u);
  // Status 0xFB10 at byte width: the DEVSEL timing bit 9 is read-only in the same byte as the
  // error bits, which clear on one; the low byte's capability bit stays.
  Machine devsel(ParseDump("00:03.0 X: Y\n00: 86 80 34 12 00 00 10 fb\n", "test").functions);
  EXPECT_EQ(WriteAndRead(devsel, 0x18, 0x07, 1, 0xFF), 0x02u);
  EXPECT_EQ(WriteAndRead(devsel, 0x18, 0x06, 1, 0xFF), 0x10u);
}

// Rows whose data tells the write rules apart: every bit a row writes is set before, so a
// write-1-to-clear bit differs from a read-only one (which keeps it) and a read-write one
// (which takes the written value).
// 00:04.0: PCI Express at 0x40 (next 0x60), MSI with per-vector masking but 32-bit addresses at
// 0x60, AER at 0x100 with two uncorrectable and one correctable error recorded.
// 00:05.0: a CardBus bridge whose capability list starts at 0x14 (PM at 0x80), with a byte at
// 0x34 that a list from 0x34 would take for a pointer to 0x44.
constexpr char kRuleDump[] =
    "00:04.0 X: Y\n"
    "00: 86 80 34 12 00 00 10 fb 00 00 00 00 00 00 00 00\n"
    "30: 00 00 00 00 40 00 00 00 00 00 00 00 00 00 00 00\n"
    "40: 10 60 02 00 00 00 00 00 00 00 0f 00 41 00 00 00\n"
    "50: 00 00 11 00 00 00 00 00 00 00 00 00 00 00 00 00\n"
    "60: 05 00 00 01 00 00 e0 fe 00 00 00 00 03 00 00 00\n"
    "70: 03 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n"
    "100: 01 00 01 00 10 00 10 00 00 00 00 00 00 00 00 00\n"
    "110: 41 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n"
    "\n"
    "00:05.0 CardBus bridge: Z\n"
    "00: 4c 10 56 ac 00 00 10 02 00 00 07 06 00 00 02 00\n"
    "10: 00 00 00 00 80 00 00 00 00 00 00 00 00 00 00 00\n"
    "30: 00 00 00 00 44 00 00 00 00 00 00 00 00 00 00 00\n"
    "40: 00 00 00 00 34 12 00 00 00 00 00 00 00 00 00 00\n"
    "80: 01 00 02 00 00 00 00 00 00 00 00 00 00 00 00 00\n";

TEST(SimMachine, EachRuleKeepsClearsOrTakesTheBitsItShould) {
  Machine m(ParseDump(kRuleDump, "test").functions);
  const struct {
    const char* name;
    uint32_t location, offset, width, value, expected;
  } kRows[] = {
      {"status: DEVSEL timing kept when 0 is written", 0x20, 0x06, 2, 0x0000, 0xFB10},
      {"status: one error bit cleared, DEVSEL kept", 0x20, 0x06, 2, 0x8000, 0x7B10},
      {"Device Status: Correctable Error Detected cleared, the other kept", 0x20, 0x4A, 2, 0x0001,
       0x000E},
      {"Link Status: read-only, kept", 0x20, 0x52, 2, 0xFFFF, 0x0011},
      {"AER Uncorrectable Status: bit 20 cleared, bit 4 kept", 0x20, 0x104, 4, 0x00100000,
       0x00000010},
      {"AER Correctable Status: bit 6 cleared, bit 0 kept", 0x20, 0x110, 4, 0x00000040, 0x00000001},
      {"MSI masking without 64-bit addresses: Mask Bits take the write", 0x20, 0x6C, 4, 0x00000000,
       0x00000000},
      {"MSI masking without 64-bit addresses: Pending Bits read-only", 0x20, 0x70, 4, 0x00000000,
       0x00000003},
      {"CardBus: 0x44 is no capability, takes the write", 0x28, 0x44, 2, 0xFFF1, 0xFFF1},
      {"CardBus: the PM capability at 0x80 keeps its header", 0x28, 0x80, 2, 0x0000, 0x0001},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(WriteAndRead(m, row.location, row.offset, row.width, row.value), row.expected);
  }
}

TEST(SimMachine, BarsKeepTheirTypeBitsAndSize) {
  Machine m = MakeMachine();
  // 64-bit memory BAR at 0xF6000000 (size 32 MiB by its alignment), upper half writable.
  EXPECT_EQ(WriteAndRead(m, kVga, 0x10, 4, 0xFFFFFFFF), 0xFE000004u);
  EXPECT_EQ(WriteAndRead(m, kVga, 0x14, 4, 0xFFFFFFFF), 0xFFFFFFFFu);
  EXPECT_EQ(WriteAndRead(m, kVga, 0x10, 4, 0xF6000000), 0xF6000004u);
  // Prefetchable 64-bit BAR at 0xE0000000 (512 MiB).
  EXPECT_EQ(WriteAndRead(m, kVga, 0x18, 4, 0xFFFFFFFF), 0xE000000Cu);
  // I/O BAR at 0xF000 keeps bit 0.
  EXPECT_EQ(WriteAndRead(m, kVga, 0x20, 4, 0xFFFFFFFF), 0xFFFFF001u);
  EXPECT_EQ(WriteAndRead(m, kVga, 0x20, 4, 0x0000E000), 0x0000E001u);
  // An unimplemented BAR stays 0.
  EXPECT_EQ(WriteAndRead(m, kVga, 0x24, 4, 0xFFFFFFFF), 0u);
  // The ROM at 0xC0000 (256 KiB) keeps its size; its enable bit is writable.
  EXPECT_EQ(WriteAndRead(m, kVga, 0x30, 4, 0xFFFFFFFF), 0xFFFC0001u);
}

TEST(SimMachine, BridgeBusNumbersAndWindowsAreWritable) {
  Machine m = MakeMachine();
  EXPECT_EQ(WriteAndRead(m, kBridge, 0x18, 4, 0x00050302), 0x00050302u);
  EXPECT_EQ(WriteAndRead(m, kBridge, 0x1C, 2, 0xFFFF), 0xF0F0u) << "I/O base/limit type nibbles";
  EXPECT_EQ(WriteAndRead(m, kBridge, 0x1E, 2, 0x2000), 0x0000u) << "secondary status clears";
  EXPECT_EQ(WriteAndRead(m, kBridge, 0x20, 4, 0xFFFFFFFF), 0xFFF0FFF0u);
  EXPECT_EQ(WriteAndRead(m, kBridge, 0x24, 4, 0x12345678), 0x12315671u);
  EXPECT_EQ(WriteAndRead(m, kBridge, 0x28, 4, 0), 0u);
  EXPECT_EQ(WriteAndRead(m, kBridge, 0x3C, 1, 0x33), 0x33u);
  EXPECT_EQ(WriteAndRead(m, kBridge, 0x3D, 1, 0x04), 0x01u) << "interrupt pin";
  // Discard Timer Status (bit 10) clears on the 1 written; bits 15-12 are reserved.
  EXPECT_EQ(WriteAndRead(m, kBridge, 0x3E, 2, 0xFFFF), 0x0BFFu);
}

TEST(SimMachine, BytesTheDumpLacksStayAllOnes) {
  Machine m = MakeMachine();
  EXPECT_EQ(WriteAndRead(m, kBridge, 0x40, 4, 0), 0xFFFFFFFFu);
  EXPECT_EQ(WriteAndRead(m, kVga, 0xFE, 2, 0x1234), 0xFFFFu);
}

// A listed function answers with its bytes even when its identifier reads all-ones, as a real
// function that the kernel shows partly does.
TEST(SimMachine, AListedFunctionAnswersEvenWithAnAllOnesIdentifier) {
  const Machine m(ParseDump("00:1f.3 Audio device: X\n"
                            "00: ff ff ff ff ff ff ff ff ff ff ff ff ff ff ff ff\n"
                            "40: 78 56 34 12\n",
                            "test")
                      .functions);
  EXPECT_TRUE(m.Present(0x00FB));
  EXPECT_EQ(m.Read(0x00FB, 0x00, 4), 0xFFFFFFFFu);
  EXPECT_EQ(m.Read(0x00FB, 0x40, 4), 0x12345678u);
}

TEST(SimMachine, ChangesStayWithTheMachine) {
  Machine m = MakeMachine();
  ASSERT_TRUE(m.Write(kVga, 0x3C, 1, 0x0B));
  EXPECT_EQ(m.Read(kVga, 0x3C, 4), 0x0000010Bu);
  EXPECT_EQ(MakeMachine().Read(kVga, 0x3C, 1), 0xFFu);
}

}  // namespace
}  // namespace qbus::access::sim
