// SPDX-License-Identifier: GPL-3.0-or-later
// The sharing group's extended capabilities where lspci cannot say: how many counted registers
// a capability's own fields give it, and the meanings lspci prints in other words or not at all.
#include <gtest/gtest.h>
#include <utility>
#include <vector>

#include "config_space/function_tree.h"

namespace qbus::config_space {
namespace {

using Bytes = std::vector<uint8_t>;
using Dwords = std::vector<std::pair<uint32_t, uint32_t>>;  // offset in the capability, value

// A PCI Express endpoint with one extended capability at 0x100, the last of the list.
Bytes Function(int id, int version, const Dwords& dwords) {
  Bytes bytes(0x1000, 0);
  const auto put = [&bytes](size_t at, uint32_t value) {
    for (size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
  };
  put(0x04, 0x00100000);
  put(0x34, 0x40);
  put(0x40, 0x00020010);
  put(0x100, static_cast<uint32_t>(id | version << 16));
  for (const auto& [offset, value] : dwords) put(0x100 + offset, value);
  return bytes;
}

std::vector<DecodedLine> Registers(const std::vector<DecodedLine>& tree) {
  std::vector<DecodedLine> registers;
  bool in_block = false;
  for (const DecodedLine& line : tree) {
    if (line.depth == 0) in_block = line.offset == 0x100;
    if (in_block && line.depth == 1) registers.push_back(line);
  }
  return registers;
}

struct CountRow {
  const char* name;
  int id, version;
  Dwords dwords;
  size_t registers;  // from the header on
  const char* last;  // the last register's name
  uint32_t last_at;  // and its offset
};

class CountedRegisters : public ::testing::TestWithParam<CountRow> {};

TEST_P(CountedRegisters, EndWhereTheCapabilitysOwnFieldsSay) {
  const CountRow& row = GetParam();
  const std::vector<DecodedLine> registers =
      Registers(DecodeFunction(Function(row.id, row.version, row.dwords)));
  ASSERT_EQ(registers.size(), row.registers);
  EXPECT_EQ(registers.back().name, row.last);
  EXPECT_EQ(registers.back().offset, row.last_at);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Rows, CountedRegisters,
    ::testing::Values(
        CountRow{"TphTableOfFour", 0x17, 1, {{0x04, 0x00030200}}, 7, "ST Table Entry 3", 0x112},
        CountRow{"TphTableInMsix", 0x17, 1, {{0x04, 0x00030400}}, 3, "TPH Requester Control", 0x108},
        CountRow{"TphLargestTableEndsWithTheSpace", 0x17, 1, {{0x04, 0x07FF0200}}, 3 + 1914, "ST Table Entry 1913", 0xFFE},
        CountRow{"ThreeLinks", 0x05, 1, {{0x04, 0x00000300}}, 16, "Link Entry 2 Address (bits 63-32)", 0x13C},
        CountRow{"NoLinks", 0x05, 1, {{0x04, 0xFF0000F0}}, 4, "Reserved", 0x10C},
        CountRow{"VendorFiveDwords", 0x0B, 1, {{0x04, 0x01C00001}}, 7, "Dword 4", 0x118},
        CountRow{"VendorLengthPartOfADword", 0x0B, 1, {{0x04, 0x01B00001}}, 6, "Dword 3", 0x114},
        CountRow{"VendorLengthWithinHeader", 0x0B, 1, {{0x04, 0x00400001}}, 2, "Vendor-Specific Header", 0x104},
        CountRow{"DesignatedWordOnly", 0x23, 1, {{0x04, 0x00C00001}}, 4, "Vendor-Specific Word", 0x10A},
        CountRow{"DesignatedHeadersOnly", 0x23, 1, {{0x04, 0x00A00001}}, 3, "Designated Vendor-Specific Header 2", 0x108},
        CountRow{"DesignatedTwoDwords", 0x23, 1, {{0x04, 0x01400001}}, 6, "Dword 1", 0x110},
        CountRow{"CollectorVersion1", 0x07, 1, {{0x08, 0x00341200}}, 2, "Association Bitmap for RCiEPs", 0x104},
        CountRow{"CollectorVersion2", 0x07, 2, {}, 3, "RCEC Associated Bus Numbers", 0x108}),
    [](const auto& info) { return info.param.name; });
// clang-format on

struct MeaningRow {
  const char* name;
  int id;
  Dwords dwords;
  const char* reg;
  const char* field;
  const char* meaning;
};

class Meanings : public ::testing::TestWithParam<MeaningRow> {};

TEST_P(Meanings, SayTheFieldInTheReadersUnit) {
  const MeaningRow& row = GetParam();
  const std::vector<DecodedLine> tree = DecodeFunction(Function(row.id, 1, row.dwords));
  bool in_block = false, in_register = false;
  for (const DecodedLine& line : tree) {
    if (line.depth == 0) in_block = line.offset == 0x100;
    if (line.depth == 1) in_register = in_block && line.name == row.reg;
    if (in_register && line.depth == 2 && line.name == row.field) {
      EXPECT_EQ(line.meaning, row.meaning);
      return;
    }
  }
  ADD_FAILURE() << "no field " << row.reg << " / " << row.field;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Rows, Meanings,
    ::testing::Values(
        MeaningRow{"QueueDepthZeroIs32", 0x0F, {{0x04, 0x00000000}}, "ATS Capability", "Invalidate Queue Depth", "32"},
        MeaningRow{"TranslationUnitLargest", 0x0F, {{0x04, 0x001F0000}}, "ATS Control", "Smallest Translation Unit", "8 TB"},
        MeaningRow{"WindowSize", 0x12, {{0x04, 0x00000C00}}, "Multicast Capability", "MC_Window_Size_Requested (bytes)", "4096"},
        MeaningRow{"LargestOverlay", 0x12, {{0x28, 0xA000003F}}, "MC_Overlay_BAR (bits 31-0)", "MC_Overlay_Size", "9223372036854775808 bytes"},
        MeaningRow{"TphTableSizeLargest", 0x17, {{0x04, 0x07FF0000}}, "TPH Requester Capability", "ST Table Size", "2048 entries"},
        MeaningRow{"TphEnableReserved", 0x17, {{0x08, 0x00000200}}, "TPH Requester Control", "TPH Requester Enable", "reserved (2)"},
        MeaningRow{"TphEnableExtended", 0x17, {{0x08, 0x00000300}}, "TPH Requester Control", "TPH Requester Enable", "TPH and Extended TPH"},
        MeaningRow{"StModeReserved", 0x17, {{0x08, 0x00000003}}, "TPH Requester Control", "ST Mode Select", "reserved (3)"},
        MeaningRow{"StModeDeviceSpecific", 0x17, {{0x08, 0x00000302}}, "TPH Requester Control", "ST Mode Select", "Device-Specific Mode"},
        MeaningRow{"ElementTypeReserved", 0x05, {{0x04, 0x00000003}}, "Element Self Description", "Element Type", "reserved (3)"}),
    [](const auto& info) { return info.param.name; });
// clang-format on

// A page size bit reads as its size: 0x10 sets 64 KB and not its neighbours.
TEST(PageSizes, EachBitIsASize) {
  const std::vector<DecodedLine> tree = DecodeFunction(Function(0x10, 1, {{0x20, 0x00000010}}));
  std::vector<std::pair<std::string, std::string>> set;
  bool in_register = false;
  for (const DecodedLine& line : tree) {
    if (line.depth == 1) in_register = line.name == "System Page Size";
    if (in_register && line.depth == 2 && line.value != "0")
      set.emplace_back(line.name, line.place);
  }
  EXPECT_EQ(set, (std::vector<std::pair<std::string, std::string>>{{"64 KB", "bit 4"}}));
}

}  // namespace
}  // namespace qbus::config_space
