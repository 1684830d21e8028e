// SPDX-License-Identifier: GPL-3.0-or-later
// The link group's capabilities that lspci 3.9 does not decode, read from the layout dumps
// (tests/dumps/layouts/link-*.dump): each row's field holds a value unlike its neighbour's, and
// the counted registers (channels, lanes, IDE streams and address blocks) end where their own
// count says.
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#include "config_space/dump_parser.h"
#include "config_space/function_tree.h"

namespace qbus::config_space {
namespace {

std::vector<DecodedLine> Decode(const char* dump, uint32_t location) {
  std::ifstream in(std::filesystem::path(QBUS_TEST_DUMPS) / "layouts" / dump);
  const std::string text{std::istreambuf_iterator<char>(in), {}};
  const ParsedDump parsed = ParseDump(text, dump);
  if (parsed.functions.count(location) == 0) return {};
  return DecodeFunction(parsed.functions.at(location).bytes);
}

// The field of `reg` in the block named `block`, or the register itself for an empty `field`.
const DecodedLine* Find(const std::vector<DecodedLine>& tree, const std::string& block,
                        const std::string& reg, const std::string& field) {
  bool in_block = false, in_register = false;
  for (const DecodedLine& line : tree) {
    if (line.depth == 0) {
      in_block = line.name == block;
    } else if (line.depth == 1) {
      in_register = in_block && line.name == reg;
      if (in_register && field.empty()) return &line;
    } else if (in_register && line.name == field) {
      return &line;
    }
  }
  return nullptr;
}

// Functions by location (bus << 8 | device << 3 | function).
constexpr uint32_t kChannels = 0x101;  // 01:00.1: MFVC with two channels, VC with one
constexpr uint32_t kX8 = 0x200;        // 02:00.0
constexpr uint32_t kX4 = 0x201;        // 02:00.1
constexpr uint32_t kFlit = 0x300;      // 03:00.0

struct FieldRow {
  const char* dump;
  uint32_t location;
  const char* block;
  const char* reg;
  const char* field;
  const char* value;
  const char* meaning;
};

// clang-format off
constexpr FieldRow kFields[] = {
    {"link-channels.dump", kChannels, "Multi-Function Virtual Channel", "Port VC Capability 1", "Function Arbitration Table Entry Size", "0x2", "4 bits"},
    {"link-channels.dump", kChannels, "Multi-Function Virtual Channel", "Port VC Capability 1", "Extended VC Count", "0x1", "1"},
    {"link-channels.dump", kChannels, "Multi-Function Virtual Channel", "VC Resource Capability 0", "Time-Based WRR Function Arbitration with 128 Phases", "1", ""},
    {"link-channels.dump", kChannels, "Multi-Function Virtual Channel", "VC Resource Capability 0", "WRR Function Arbitration with 256 Phases", "0", ""},
    {"link-channels.dump", kChannels, "Multi-Function Virtual Channel", "VC Resource Capability 0", "Maximum Time Slots", "0x05", "6"},
    {"link-channels.dump", kChannels, "Multi-Function Virtual Channel", "VC Resource Capability 0", "Function Arbitration Table Offset (16 bytes)", "0x07", "7"},
    {"link-channels.dump", kChannels, "Multi-Function Virtual Channel", "VC Resource Control 1", "Function Arbitration Select", "0x1", "WRR 32 phases"},
    {"link-channels.dump", kChannels, "Multi-Function Virtual Channel", "VC Resource Control 1", "VC ID", "0x5", "5"},
    {"link-channels.dump", kChannels, "Multi-Function Virtual Channel", "VC Resource Control 1", "TC/VC Map", "0xC0", ""},
    {"link-channels.dump", kChannels, "Multi-Function Virtual Channel", "VC Resource Status 1", "VC Negotiation Pending", "1", ""},

    {"link-physical.dump", kX8, "Physical Layer 16.0 GT/s", "16.0 GT/s Status", "Equalization 16.0 GT/s Phase 1 Successful", "0", ""},
    {"link-physical.dump", kX8, "Physical Layer 16.0 GT/s", "16.0 GT/s Status", "Equalization 16.0 GT/s Phase 2 Successful", "1", ""},
    {"link-physical.dump", kX8, "Physical Layer 16.0 GT/s", "16.0 GT/s Status", "Link Equalization Request 16.0 GT/s", "1", ""},
    {"link-physical.dump", kX8, "Physical Layer 16.0 GT/s", "16.0 GT/s First Retimer Data Parity Mismatch Status", "Data Parity Mismatch by Lane", "0x0000005A", ""},
    {"link-physical.dump", kX8, "Physical Layer 16.0 GT/s", "16.0 GT/s Lane Equalization Control (lane 7)", "Downstream Port 16.0 GT/s Transmitter Preset", "0x7", "P7"},
    {"link-physical.dump", kX8, "Physical Layer 16.0 GT/s", "16.0 GT/s Lane Equalization Control (lane 7)", "Upstream Port 16.0 GT/s Transmitter Preset", "0x3", "P3"},
    {"link-physical.dump", kX4, "Physical Layer 16.0 GT/s", "16.0 GT/s Lane Equalization Control (lane 3)", "Downstream Port 16.0 GT/s Transmitter Preset", "0xA", "P10"},
    {"link-physical.dump", kX8, "Physical Layer 32.0 GT/s", "32.0 GT/s Capabilities", "Modified TS Usage Mode 0 Supported (PCI Express)", "0", ""},
    {"link-physical.dump", kX8, "Physical Layer 32.0 GT/s", "32.0 GT/s Capabilities", "Modified TS Usage Mode 1 Supported (Training Set Message)", "1", ""},
    {"link-physical.dump", kX8, "Physical Layer 32.0 GT/s", "32.0 GT/s Control", "Modified TS Usage Mode Selected", "0x5", "5"},
    {"link-physical.dump", kX8, "Physical Layer 32.0 GT/s", "32.0 GT/s Status", "Received Enhanced Link Behavior Control", "0x2", "no equalization needed"},
    {"link-physical.dump", kX8, "Physical Layer 32.0 GT/s", "32.0 GT/s Status", "Transmitter Precoding On", "0", ""},
    {"link-physical.dump", kX8, "Physical Layer 32.0 GT/s", "32.0 GT/s Status", "Transmitter Precoding Request", "1", ""},
    {"link-physical.dump", kX8, "Physical Layer 32.0 GT/s", "Received Modified TS Data 1", "Received Modified TS Usage Mode", "0x3", "3"},
    {"link-physical.dump", kX8, "Physical Layer 32.0 GT/s", "Received Modified TS Data 1", "Received Modified TS Information 1", "0x0123", ""},
    {"link-physical.dump", kX8, "Physical Layer 32.0 GT/s", "Received Modified TS Data 1", "Received Modified TS Vendor ID", "0x1E4D", ""},
    {"link-physical.dump", kX8, "Physical Layer 32.0 GT/s", "Received Modified TS Data 2", "Alternate Protocol Negotiation Status", "0x2", "failed"},
    {"link-physical.dump", kX8, "Physical Layer 32.0 GT/s", "Transmitted Modified TS Data 2", "Alternate Protocol Negotiation Status", "0x1", "in progress"},
    {"link-physical.dump", kX8, "Physical Layer 32.0 GT/s", "32.0 GT/s Lane Equalization Control (lane 0)", "Upstream Port 32.0 GT/s Transmitter Preset", "0xA", "P10"},
    {"link-physical.dump", kX8, "Physical Layer 64.0 GT/s", "64.0 GT/s Status", "Equalization 64.0 GT/s Phase 2 Successful", "0", ""},
    {"link-physical.dump", kX8, "Physical Layer 64.0 GT/s", "64.0 GT/s Status", "Equalization 64.0 GT/s Phase 3 Successful", "1", ""},
    {"link-physical.dump", kX8, "Physical Layer 64.0 GT/s", "64.0 GT/s Status", "Transmitter Precoding On", "0", ""},
    {"link-physical.dump", kX8, "Physical Layer 64.0 GT/s", "64.0 GT/s Status", "Transmitter Precoding Request", "1", ""},
    {"link-physical.dump", kX8, "Physical Layer 64.0 GT/s", "64.0 GT/s Lane Equalization Control (lane 2)", "Upstream Port 64.0 GT/s Transmitter Preset", "0x8", "P8"},
    {"link-physical.dump", kX8, "Lane Margining at the Receiver", "Margining Port Capabilities", "Margining Uses Driver Software", "1", ""},
    {"link-physical.dump", kX8, "Lane Margining at the Receiver", "Margining Port Status", "Margining Ready", "0", ""},
    {"link-physical.dump", kX8, "Lane Margining at the Receiver", "Margining Port Status", "Margining Software Ready", "1", ""},
    {"link-physical.dump", kX8, "Lane Margining at the Receiver", "Margining Lane Control (lane 5)", "Receiver Number", "0x5", "receiver E"},
    {"link-physical.dump", kX8, "Lane Margining at the Receiver", "Margining Lane Control (lane 5)", "Margin Type", "0x7", ""},
    {"link-physical.dump", kX8, "Lane Margining at the Receiver", "Margining Lane Control (lane 5)", "Usage Model", "1", "reserved (1)"},
    {"link-physical.dump", kX8, "Lane Margining at the Receiver", "Margining Lane Control (lane 5)", "Margin Payload", "0x15", ""},
    {"link-physical.dump", kX8, "Lane Margining at the Receiver", "Margining Lane Status (lane 5)", "Margin Payload Status", "0x4A", ""},
    {"link-physical.dump", kX4, "Lane Margining at the Receiver", "Margining Lane Control (lane 3)", "Receiver Number", "0x4", "receiver D"},
    {"link-physical.dump", kX8, "Data Link Feature", "Data Link Feature Capabilities", "Local Scaled Flow Control Supported", "1", ""},
    {"link-physical.dump", kX8, "Data Link Feature", "Data Link Feature Capabilities", "Data Link Feature Exchange Enable", "1", ""},
    {"link-physical.dump", kX8, "Data Link Feature", "Data Link Feature Status", "Remote Scaled Flow Control Supported", "0", ""},
    {"link-physical.dump", kX8, "Data Link Feature", "Data Link Feature Status", "Remote Data Link Features Supported (other features)", "0x000003", ""},
    {"link-physical.dump", kX8, "Data Link Feature", "Data Link Feature Status", "Remote Data Link Feature Supported Valid", "1", ""},

    {"link-flit.dump", kFlit, "Device 3", "Device Capabilities 3", "14-Bit Tag Completer Supported", "0", ""},
    {"link-flit.dump", kFlit, "Device 3", "Device Capabilities 3", "14-Bit Tag Requester Supported", "1", ""},
    {"link-flit.dump", kFlit, "Device 3", "Device Capabilities 3", "Port L0p Exit Latency", "0x3", "<8 us"},
    {"link-flit.dump", kFlit, "Device 3", "Device Capabilities 3", "Retimer L0p Exit Latency", "0x5", "<32 us"},
    {"link-flit.dump", kFlit, "Device 3", "Device Control 3", "DMWr Requester Enable", "0", ""},
    {"link-flit.dump", kFlit, "Device 3", "Device Control 3", "DMWr Egress Blocking", "1", ""},
    {"link-flit.dump", kFlit, "Device 3", "Device Control 3", "Target Link Width", "0x2", "x4"},
    {"link-flit.dump", kFlit, "Device 3", "Device Status 3", "Initial Link Width", "0x3", "x8"},
    {"link-flit.dump", kFlit, "Device 3", "Device Status 3", "Segment Captured", "0", ""},
    {"link-flit.dump", kFlit, "Device 3", "Device Status 3", "Remote L0p Supported", "1", ""},
    {"link-flit.dump", kFlit, "Integrity and Data Encryption", "IDE Capability", "Partial Header Encryption Supported", "1", ""},
    {"link-flit.dump", kFlit, "Integrity and Data Encryption", "IDE Capability", "Aggregation Supported", "0", ""},
    {"link-flit.dump", kFlit, "Integrity and Data Encryption", "IDE Capability", "Number of TCs Supported for Link IDE", "0x2", "3"},
    {"link-flit.dump", kFlit, "Integrity and Data Encryption", "IDE Capability", "Number of Selective IDE Streams Supported", "0x01", "2"},
    {"link-flit.dump", kFlit, "Integrity and Data Encryption", "IDE Control", "Flow-Through IDE Stream Enabled", "1", ""},
    {"link-flit.dump", kFlit, "Integrity and Data Encryption", "Link IDE Stream Control 1", "Tx Aggregation Mode NPR", "0x2", "up to 4"},
    {"link-flit.dump", kFlit, "Integrity and Data Encryption", "Link IDE Stream Control 1", "Tx Aggregation Mode PR", "0x1", "up to 2"},
    {"link-flit.dump", kFlit, "Integrity and Data Encryption", "Link IDE Stream Control 1", "Tx Aggregation Mode CPL", "0x3", "up to 8"},
    {"link-flit.dump", kFlit, "Integrity and Data Encryption", "Link IDE Stream Control 1", "TC", "0x5", "5"},
    {"link-flit.dump", kFlit, "Integrity and Data Encryption", "Link IDE Stream Control 1", "Stream ID", "0x31", "49"},
    {"link-flit.dump", kFlit, "Integrity and Data Encryption", "Link IDE Stream Status 1", "IDE Stream State", "0x0", "insecure"},
    {"link-flit.dump", kFlit, "Integrity and Data Encryption", "Link IDE Stream Status 2", "IDE Stream State", "0x2", "secure"},
    {"link-flit.dump", kFlit, "Integrity and Data Encryption", "Link IDE Stream Status 2", "Received Integrity Check Fail Message", "1", ""},
    {"link-flit.dump", kFlit, "Integrity and Data Encryption", "Selective IDE Stream Capability", "Number of Address Association Register Blocks", "0x2", "2"},
    {"link-flit.dump", kFlit, "Integrity and Data Encryption", "Selective IDE Stream Control", "PCRC Enable", "0", ""},
    {"link-flit.dump", kFlit, "Integrity and Data Encryption", "Selective IDE Stream Control", "Selective IDE for Configuration Requests Enable", "1", ""},
    {"link-flit.dump", kFlit, "Integrity and Data Encryption", "Selective IDE Stream Control", "Partial Header Encryption Mode", "0xA", ""},
    {"link-flit.dump", kFlit, "Integrity and Data Encryption", "Selective IDE Stream Control", "Default Stream", "1", ""},
    {"link-flit.dump", kFlit, "Integrity and Data Encryption", "Selective IDE Stream Control", "TEE-Limited Stream", "0", ""},
    {"link-flit.dump", kFlit, "Integrity and Data Encryption", "Selective IDE Stream Control", "Stream ID", "0x42", "66"},
    {"link-flit.dump", kFlit, "Integrity and Data Encryption", "IDE RID Association 1", "RID Limit", "0x0305", ""},
    {"link-flit.dump", kFlit, "Integrity and Data Encryption", "IDE RID Association 2", "RID Base", "0x0100", ""},
    {"link-flit.dump", kFlit, "Integrity and Data Encryption", "IDE RID Association 2", "Segment Base", "0x07", ""},
    {"link-flit.dump", kFlit, "Integrity and Data Encryption", "IDE Address Association 1 (1)", "Valid", "0", ""},
    {"link-flit.dump", kFlit, "Integrity and Data Encryption", "IDE Address Association 1 (1)", "Memory Base Lower (address bits 31-20)", "0x789", ""},
    {"link-flit.dump", kFlit, "Integrity and Data Encryption", "IDE Address Association 1 (1)", "Memory Limit Lower (address bits 31-20)", "0xABC", ""},
    {"link-flit.dump", kFlit, "Integrity and Data Encryption", "IDE Address Association 2 (0)", "", "0x00000002", ""},
    {"link-flit.dump", kFlit, "Integrity and Data Encryption", "IDE Address Association 3 (0)", "", "0x00000001", ""},
    {"link-flit.dump", kFlit, "Flit Logging", "Flit Error Counter Status", "", "0x0303", ""},
    {"link-flit.dump", kFlit, "Flit Logging", "FBER Measurement Status 10", "", "0x0E0E0E0E", ""},
    {"link-flit.dump", kFlit, "Flit Error Injection", "Ordered Set Error Rx Injection Status", "", "0x00000088", ""},
    {"link-flit.dump", kFlit, "MMIO Register Block Locator", "MRBL Capabilities", "", "0x00000010", ""},
};

// The last register of each count and the first past it.
struct ExtentRow {
  const char* dump;
  uint32_t location;
  const char* block;
  const char* reg;
  bool shown;
};
constexpr ExtentRow kExtents[] = {
    {"link-channels.dump", kChannels, "Multi-Function Virtual Channel", "VC Resource Status 1", true},
    {"link-channels.dump", kChannels, "Multi-Function Virtual Channel", "VC Resource Capability 2", false},
    {"link-channels.dump", kChannels, "Virtual Channel (with MFVC)", "VC Resource Status 0", true},
    {"link-channels.dump", kChannels, "Virtual Channel (with MFVC)", "VC Resource Capability 1", false},
    {"link-physical.dump", kX8, "Physical Layer 16.0 GT/s", "16.0 GT/s Lane Equalization Control (lane 7)", true},
    {"link-physical.dump", kX8, "Physical Layer 16.0 GT/s", "16.0 GT/s Lane Equalization Control (lane 8)", false},
    {"link-physical.dump", kX4, "Physical Layer 16.0 GT/s", "16.0 GT/s Lane Equalization Control (lane 3)", true},
    {"link-physical.dump", kX4, "Physical Layer 16.0 GT/s", "16.0 GT/s Lane Equalization Control (lane 4)", false},
    {"link-physical.dump", kX8, "Physical Layer 32.0 GT/s", "32.0 GT/s Lane Equalization Control (lane 7)", true},
    {"link-physical.dump", kX8, "Physical Layer 32.0 GT/s", "32.0 GT/s Lane Equalization Control (lane 8)", false},
    {"link-physical.dump", kX8, "Physical Layer 64.0 GT/s", "64.0 GT/s Lane Equalization Control (lane 7)", true},
    {"link-physical.dump", kX8, "Physical Layer 64.0 GT/s", "64.0 GT/s Lane Equalization Control (lane 8)", false},
    {"link-physical.dump", kX8, "Lane Margining at the Receiver", "Margining Lane Status (lane 7)", true},
    {"link-physical.dump", kX8, "Lane Margining at the Receiver", "Margining Lane Control (lane 8)", false},
    {"link-physical.dump", kX4, "Lane Margining at the Receiver", "Margining Lane Status (lane 3)", true},
    {"link-physical.dump", kX4, "Lane Margining at the Receiver", "Margining Lane Control (lane 4)", false},
    {"link-flit.dump", kFlit, "Integrity and Data Encryption", "Link IDE Stream Status 2", true},
    {"link-flit.dump", kFlit, "Integrity and Data Encryption", "Link IDE Stream Control 3", false},
    {"link-flit.dump", kFlit, "Integrity and Data Encryption", "IDE Address Association 3 (1)", true},
    {"link-flit.dump", kFlit, "Integrity and Data Encryption", "IDE Address Association 1 (2)", false},
};
// clang-format on

TEST(LinkCapabilities, FieldsDecodeFromTheirOwnBits) {
  for (const FieldRow& row : kFields) {
    SCOPED_TRACE(std::string(row.block) + " / " + row.reg + " / " + row.field);
    const std::vector<DecodedLine> tree = Decode(row.dump, row.location);
    const DecodedLine* line = Find(tree, row.block, row.reg, row.field);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->value, row.value);
    EXPECT_EQ(line->meaning, row.meaning);
  }
}

TEST(LinkCapabilities, CountedRegistersEndWithTheirCount) {
  for (const ExtentRow& row : kExtents) {
    SCOPED_TRACE(std::string(row.block) + " / " + row.reg);
    EXPECT_EQ(Find(Decode(row.dump, row.location), row.block, row.reg, "") != nullptr, row.shown);
  }
}

}  // namespace
}  // namespace qbus::config_space
