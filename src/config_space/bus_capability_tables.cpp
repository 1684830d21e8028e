// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <array>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "config_space/capability_groups.h"

namespace qbus::config_space {
namespace {

// The tables keep one register or field a line.
// clang-format off

using namespace table_parts;
using enum Meaning;

#define QBUS_CAPABILITY_HEADER \
    {0x00, 1, "Capability ID", {}, RO, kCapabilityId}, \
    {0x01, 1, "Next Capability Pointer", {}, RO}

// PCI-X: a device's command and status, or a bridge's status pair and split transaction limits.
constexpr const char* kReadByteCounts[] = {"512 bytes", "1024 bytes", "2048 bytes", "4096 bytes"};
constexpr const char* kSplitTransactions[] = {
    "1 transaction", "2 transactions", "3 transactions", "4 transactions",
    "8 transactions", "12 transactions", "16 transactions", "32 transactions"};
// In ADQs of 128 bytes.
constexpr const char* kCumulativeReadSizes[] = {
    "8 ADQs (1 KB)", "16 ADQs (2 KB)", "32 ADQs (4 KB)", "64 ADQs (8 KB)",
    "128 ADQs (16 KB)", "256 ADQs (32 KB)", "512 ADQs (64 KB)", "1024 ADQs (128 KB)"};
constexpr const char* kDeviceComplexity[] = {"simple", "bridge"};
constexpr const char* kSecondaryModes[] = {
    "conventional PCI", "66 MHz PCI-X", "100 MHz PCI-X", "133 MHz PCI-X"};

constexpr FieldName kPcixCommand[] = {
    {0, 0, "Data Parity Error Recovery Enable"},
    {1, 1, "Enable Relaxed Ordering"},
    {2, 3, "Maximum Memory Read Byte Count", RW, kNone, kReadByteCounts},
    {4, 6, "Maximum Outstanding Split Transactions", RW, kNone, kSplitTransactions},
    {7, 11, "Reserved", RO},
    {12, 13, "PCI-X Capability Version", RO, kNumber},
    {14, 15, "Reserved", RO},
};
constexpr FieldName kPcixStatus[] = {
    {0, 2, "Function Number", RO},
    {3, 7, "Device Number", RO},
    {8, 15, "Bus Number", RO},
    {16, 16, "64-bit Device", RO},
    {17, 17, "133 MHz Capable", RO},
    {18, 18, "Split Completion Discarded", W1C},
    {19, 19, "Unexpected Split Completion", W1C},
    {20, 20, "Device Complexity", RO, kNone, kDeviceComplexity},
    {21, 22, "Designed Maximum Memory Read Byte Count", RO, kNone, kReadByteCounts},
    {23, 25, "Designed Maximum Outstanding Split Transactions", RO, kNone, kSplitTransactions},
    {26, 28, "Designed Maximum Cumulative Read Size", RO, kNone, kCumulativeReadSizes},
    {29, 29, "Received Split Completion Error Message", W1C},
    {30, 30, "PCI-X 266 Capable", RO},
    {31, 31, "PCI-X 533 Capable", RO},
};
constexpr RegisterName kPcixDevice[] = {
    QBUS_CAPABILITY_HEADER,
    {0x02, 2, "Command", kPcixCommand},
    {0x04, 4, "Status", kPcixStatus},
};

constexpr FieldName kPcixSecondaryStatus[] = {
    {0, 0, "64-bit Device", RO},
    {1, 1, "133 MHz Capable", RO},
    {2, 2, "Split Completion Discarded", W1C},
    {3, 3, "Unexpected Split Completion", W1C},
    {4, 4, "Split Completion Overrun", W1C},
    {5, 5, "Split Request Delayed", RO},
    {6, 9, "Secondary Bus Mode and Frequency", RO, kNone, kSecondaryModes},
    {10, 11, "Reserved", RO},
    {12, 13, "PCI-X Capability Version", RO, kNumber},
    {14, 14, "PCI-X 266 Capable", RO},
    {15, 15, "PCI-X 533 Capable", RO},
};
constexpr FieldName kPcixBridgeStatus[] = {
    {0, 2, "Function Number", RO},
    {3, 7, "Device Number", RO},
    {8, 15, "Bus Number", RO},
    {16, 16, "64-bit Device", RO},
    {17, 17, "133 MHz Capable", RO},
    {18, 18, "Split Completion Discarded", W1C},
    {19, 19, "Unexpected Split Completion", W1C},
    {20, 20, "Split Completion Overrun", W1C},
    {21, 21, "Split Request Delayed", RO},
    {22, 31, "Reserved", RO},
};
// In ADQs: what the bridge's buffers hold, and how much it may commit to.
constexpr FieldName kSplitControl[] = {
    {0, 15, "Split Transaction Capacity", RO, kNumber},
    {16, 31, "Split Transaction Commitment Limit", RW, kNumber},
};
constexpr RegisterName kPcixBridge[] = {
    QBUS_CAPABILITY_HEADER,
    {0x02, 2, "Secondary Status", kPcixSecondaryStatus},
    {0x04, 4, "Status", kPcixBridgeStatus},
    {0x08, 4, "Upstream Split Transaction Control", kSplitControl},
    {0x0C, 4, "Downstream Split Transaction Control", kSplitControl},
};

// HyperTransport: the type in the command's top bits picks the block.
constexpr const char* kHtInterfaceTypes[] = {"slave/primary interface", "host/secondary interface"};
constexpr const char* kHtTypes[] = {
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    "interrupt discovery and configuration", "revision ID", "UnitID clumping",
    "extended configuration space access", "address mapping", "MSI mapping", "direct route",
    "virtual channel set", "retry mode", "x86 encoding", "Gen3", "function-level extension",
    "power management", "high node count", nullptr, nullptr};
constexpr const char* kHtWidths[] = {
    "8 bits", "16 bits", nullptr, "32 bits", "2 bits", "4 bits", nullptr, "not connected"};
constexpr const char* kHtFrequencies[] = {
    "200 MHz", "300 MHz", "400 MHz", "500 MHz", "600 MHz", "800 MHz", "1.0 GHz", "1.2 GHz",
    "1.4 GHz", "1.6 GHz", "1.8 GHz", "2.0 GHz", "2.2 GHz", "2.4 GHz", "2.6 GHz",
    "vendor-specific"};

constexpr FieldName kHtSlaveCommand[] = {
    {0, 4, "Base UnitID", RW, kNumber},
    {5, 9, "Unit Count", RO, kNumber},
    {10, 10, "Master Host", RO},
    {11, 11, "Default Direction"},
    {12, 12, "Drop on Uninitialized Link"},
    {13, 15, "Capability Type", RO, kNone, kHtInterfaceTypes},
};
constexpr FieldName kHtHostCommand[] = {
    {0, 0, "Warm Reset"},
    {1, 1, "Double Ended"},
    {2, 6, "Device Number", RW, kNumber},
    {7, 7, "Chain Side", RO},
    {8, 8, "Host Hide"},
    {9, 9, "Reserved", RO},
    {10, 10, "Act as Slave"},
    {11, 11, "Host Inbound End of Chain Error", W1C},
    {12, 12, "Drop on Uninitialized Link"},
    {13, 15, "Capability Type", RO, kNone, kHtInterfaceTypes},
};
constexpr FieldName kHtLinkControl[] = {
    {0, 0, "Reserved", RO},
    {1, 1, "CRC Flood Enable"},
    {2, 2, "CRC Start Test"},
    {3, 3, "CRC Force Error"},
    {4, 4, "Link Failure", W1C},
    {5, 5, "Initialization Complete", RO},
    {6, 6, "End of Chain", RO},
    {7, 7, "Transmitter Off"},
    {8, 11, "CRC Error", W1C},
    {12, 12, "Isochronous Flow Control Enable"},
    {13, 13, "LDTSTOP# Tristate Enable"},
    {14, 14, "Extended CTL Time"},
    {15, 15, "64-bit Addressing Enable"},
};
constexpr FieldName kHtLinkConfig[] = {
    {0, 2, "Max Link Width In", RO, kNone, kHtWidths},
    {3, 3, "Doubleword Flow Control In", RO},
    {4, 6, "Max Link Width Out", RO, kNone, kHtWidths},
    {7, 7, "Doubleword Flow Control Out", RO},
    {8, 10, "Link Width In", RW, kNone, kHtWidths},
    {11, 11, "Doubleword Flow Control In Enable"},
    {12, 14, "Link Width Out", RW, kNone, kHtWidths},
    {15, 15, "Doubleword Flow Control Out Enable"},
};
constexpr FieldName kHtRevision[] = {
    {0, 4, "Minor Revision", RO, kNumber},
    {5, 7, "Major Revision", RO, kNumber},
};
constexpr FieldName kHtFrequencyError[] = {
    {0, 3, "Link Frequency", RW, kNone, kHtFrequencies},
    {4, 4, "Protocol Error", W1C},
    {5, 5, "Overflow Error", W1C},
    {6, 6, "End of Chain Error", W1C},
    {7, 7, "CTL Timeout", W1C},
};
constexpr FieldName kHtFrequencyCapability[] = {
    {0, 0, "200 MHz Capable"},
    {1, 1, "300 MHz Capable"},
    {2, 2, "400 MHz Capable"},
    {3, 3, "500 MHz Capable"},
    {4, 4, "600 MHz Capable"},
    {5, 5, "800 MHz Capable"},
    {6, 6, "1.0 GHz Capable"},
    {7, 7, "1.2 GHz Capable"},
    {8, 8, "1.4 GHz Capable"},
    {9, 9, "1.6 GHz Capable"},
    {10, 10, "1.8 GHz Capable"},
    {11, 11, "2.0 GHz Capable"},
    {12, 12, "2.2 GHz Capable"},
    {13, 13, "2.4 GHz Capable"},
    {14, 14, "2.6 GHz Capable"},
    {15, 15, "Vendor-Specific Frequency Capable"},
};
constexpr FieldName kHtHostFeatures[] = {
    {0, 0, "Isochronous Flow Control Mode"},
    {1, 1, "LDTSTOP#"},
    {2, 2, "CRC Test Mode"},
    {3, 3, "Extended CTL Time Required"},
    {4, 4, "64-bit Addressing"},
    {5, 5, "UnitID Reorder Disable"},
    {6, 7, "Reserved"},
    {8, 8, "Extended Register Set"},
    {9, 9, "Upstream Configuration Enable"},
    {10, 15, "Reserved"},
};
// A slave's Feature Capability is the host's low byte.
constexpr auto kHtSlaveFeatures = std::span(kHtHostFeatures).first(7);
constexpr FieldName kHtErrorHandling[] = {
    {0, 0, "Protocol Error Flood Enable"},
    {1, 1, "Overflow Error Flood Enable"},
    {2, 2, "Protocol Error Fatal Enable"},
    {3, 3, "Overflow Error Fatal Enable"},
    {4, 4, "End of Chain Error Fatal Enable"},
    {5, 5, "Response Error Fatal Enable"},
    {6, 6, "CRC Error Fatal Enable"},
    {7, 7, "System Error Fatal Enable"},
    {8, 8, "Chain Fail", RO},
    {9, 9, "Response Error", W1C},
    {10, 10, "Protocol Error Nonfatal Enable"},
    {11, 11, "Overflow Error Nonfatal Enable"},
    {12, 12, "End of Chain Error Nonfatal Enable"},
    {13, 13, "Response Error Nonfatal Enable"},
    {14, 14, "CRC Error Nonfatal Enable"},
    {15, 15, "System Error Nonfatal Enable"},
};
constexpr RegisterName kHtSlave[] = {
    QBUS_CAPABILITY_HEADER,
    {0x02, 2, "Command", kHtSlaveCommand},
    {0x04, 2, "Link Control 0", kHtLinkControl},
    {0x06, 2, "Link Configuration 0", kHtLinkConfig},
    {0x08, 2, "Link Control 1", kHtLinkControl},
    {0x0A, 2, "Link Configuration 1", kHtLinkConfig},
    {0x0C, 1, "Revision ID", kHtRevision},
    {0x0D, 1, "Link Frequency and Error 0", kHtFrequencyError},
    {0x0E, 2, "Link Frequency Capability 0", kHtFrequencyCapability, RO},
    {0x10, 1, "Feature Capability", kHtSlaveFeatures, RO},
    {0x11, 1, "Link Frequency and Error 1", kHtFrequencyError},
    {0x12, 2, "Link Frequency Capability 1", kHtFrequencyCapability, RO},
    {0x14, 2, "Enumeration Scratchpad"},
    {0x16, 2, "Error Handling", kHtErrorHandling},
    {0x18, 1, "Memory Base Upper 8 Bits"},
    {0x19, 1, "Memory Limit Upper 8 Bits"},
    {0x1A, 1, "Bus Number"},
    {0x1B, 1, "Reserved", {}, RO},
};
constexpr RegisterName kHtHost[] = {
    QBUS_CAPABILITY_HEADER,
    {0x02, 2, "Command", kHtHostCommand},
    {0x04, 2, "Link Control", kHtLinkControl},
    {0x06, 2, "Link Configuration", kHtLinkConfig},
    {0x08, 1, "Revision ID", kHtRevision},
    {0x09, 1, "Link Frequency and Error", kHtFrequencyError},
    {0x0A, 2, "Link Frequency Capability", kHtFrequencyCapability, RO},
    {0x0C, 2, "Feature Capability", kHtHostFeatures, RO},
    {0x0E, 2, "Reserved", {}, RO},
    {0x10, 2, "Enumeration Scratchpad"},
    {0x12, 2, "Error Handling", kHtErrorHandling},
    {0x14, 1, "Memory Base Upper 8 Bits"},
    {0x15, 1, "Memory Limit Upper 8 Bits"},
    {0x16, 2, "Reserved", {}, RO},
};
// The other types keep the low 11 bits of the command for themselves.
constexpr FieldName kHtCommand[] = {
    {0, 10, "Type-Specific"},
    {11, 15, "Capability Type", RO, kNone, kHtTypes},
};
constexpr FieldName kHtRevisionCommand[] = {
    {0, 4, "Minor Revision", RO, kNumber},
    {5, 7, "Major Revision", RO, kNumber},
    {8, 10, "Reserved", RO},
    {11, 15, "Capability Type", RO, kNone, kHtTypes},
};
constexpr FieldName kHtInterruptCommand[] = {
    {0, 7, "Index"},
    {8, 10, "Reserved", RO},
    {11, 15, "Capability Type", RO, kNone, kHtTypes},
};
constexpr FieldName kHtMsiCommand[] = {
    {0, 0, "Mapping Enable"},
    {1, 1, "Fixed Mapping", RO},
    {2, 10, "Reserved", RO},
    {11, 15, "Capability Type", RO, kNone, kHtTypes},
};
constexpr FieldName kHtMsiAddress[] = {
    {0, 19, "Reserved", RO},
    {20, 31, "Mapping Address (bits 31-20)", RW, kAddress},
};
constexpr FieldName kHtClumpingCommand[] = {
    {0, 10, "Reserved", RO},
    {11, 15, "Capability Type", RO, kNone, kHtTypes},
};
constexpr RegisterName kHtOther[] = {
    QBUS_CAPABILITY_HEADER,
    {0x02, 2, "Command", kHtCommand},
};
constexpr RegisterName kHtRevisionId[] = {
    QBUS_CAPABILITY_HEADER,
    {0x02, 2, "Command", kHtRevisionCommand},
};
constexpr RegisterName kHtInterrupt[] = {
    QBUS_CAPABILITY_HEADER,
    {0x02, 2, "Command", kHtInterruptCommand},
    {0x04, 4, "Dataport"},
};
constexpr RegisterName kHtMsiMapping[] = {
    QBUS_CAPABILITY_HEADER,
    {0x02, 2, "Command", kHtMsiCommand},
    {0x04, 4, "Mapping Address Lower", kHtMsiAddress},
    {0x08, 4, "Mapping Address Upper"},
};
// A bit for each UnitID of the chain, from 2 up.
constexpr RegisterName kHtClumping[] = {
    QBUS_CAPABILITY_HEADER,
    {0x02, 2, "Command", kHtClumpingCommand},
    {0x04, 4, "Clumping Support", {}, RO},
    {0x08, 4, "Clumping Enable"},
};

// AGP: the rates read as AGP 3.0 ones while the status says the port runs in that mode.
constexpr const char* kAgpRates[] = {
    "none", "x1", "x2", "x1, x2", "x4", "x1, x4", "x2, x4", "x1, x2, x4"};
constexpr const char* kAgp3Rates[] = {"none", "x4", "x8", "x4, x8"};
constexpr FieldName kAgpVersion[] = {
    {0, 3, "Minor Version", RO, kNumber},
    {4, 7, "Major Version", RO, kNumber},
};
#define QBUS_AGP_STATUS(rates) \
    {0, 2, "Rates Supported", RO, kNone, rates}, \
    {3, 3, "AGP 3.0 Mode", RO}, \
    {4, 4, "Fast Write Supported", RO}, \
    {5, 5, "Over 4 GB Addressing Supported", RO}, \
    {6, 6, "Host Translation Not Supported", RO}, \
    {7, 7, "64-bit GART Entries Supported", RO}, \
    {8, 8, "Coherent Isochronous Accesses", RO}, \
    {9, 9, "Sideband Addressing Supported", RO}, \
    {10, 12, "Calibration Cycle", RO, kNumber}, \
    {13, 15, "Asynchronous Request Size", RO, kNumber}, \
    {16, 16, "Isochronous Supported", RO}, \
    {17, 23, "Reserved", RO}, \
    {24, 31, "Maximum Requests", RO, kNumberPlusOne}
#define QBUS_AGP_COMMAND(rates) \
    {0, 2, "Data Rate", RW, kNone, rates}, \
    {3, 3, "Reserved", RO}, \
    {4, 4, "Fast Write Enable"}, \
    {5, 5, "Over 4 GB Addressing Enable"}, \
    {6, 6, "Reserved", RO}, \
    {7, 7, "64-bit GART Entries Enable"}, \
    {8, 8, "AGP Enable"}, \
    {9, 9, "Sideband Addressing Enable"}, \
    {10, 12, "Calibration Cycle", RW, kNumber}, \
    {13, 15, "Asynchronous Request Size", RW, kNumber}, \
    {16, 23, "Reserved", RO}, \
    {24, 31, "Request Queue Depth", RW, kNumberPlusOne}
constexpr FieldName kAgpStatus[] = {QBUS_AGP_STATUS(kAgpRates)};
constexpr FieldName kAgpCommand[] = {QBUS_AGP_COMMAND(kAgpRates)};
constexpr FieldName kAgp3Status[] = {QBUS_AGP_STATUS(kAgp3Rates)};
constexpr FieldName kAgp3Command[] = {QBUS_AGP_COMMAND(kAgp3Rates)};
constexpr RegisterName kAgp[] = {
    QBUS_CAPABILITY_HEADER,
    {0x02, 1, "Version", kAgpVersion},
    {0x03, 1, "Reserved", {}, RO},
    {0x04, 4, "Status", kAgpStatus},
    {0x08, 4, "Command", kAgpCommand},
};
constexpr RegisterName kAgp3[] = {
    QBUS_CAPABILITY_HEADER,
    {0x02, 1, "Version", kAgpVersion},
    {0x03, 1, "Reserved", {}, RO},
    {0x04, 4, "Status", kAgp3Status},
    {0x08, 4, "Command", kAgp3Command},
};

// Vital Product Data: software writes the address, and the flag flips when the data is there.
constexpr FieldName kVpdAddress[] = {
    {0, 14, "VPD Address", RW, kAddress},
    {15, 15, "Completion Flag"},
};
constexpr RegisterName kVpd[] = {
    QBUS_CAPABILITY_HEADER,
    {0x02, 2, "VPD Address", kVpdAddress},
    {0x04, 4, "VPD Data"},
};

// Debug Port: where the debug registers lie, in which BAR (1 to 6 for BAR0 to BAR5).
constexpr FieldName kDebugPort[] = {
    {0, 12, "Offset", RO, kAddress},
    {13, 15, "BAR Number", RO, kNumber},
};
constexpr RegisterName kDebug[] = {
    QBUS_CAPABILITY_HEADER,
    {0x02, 2, "Debug Port", kDebugPort},
};

// SATA: the index/data pair's place, in a BAR or right after this capability.
constexpr const char* kSataBars[] = {
    nullptr, nullptr, nullptr, nullptr, "BAR0", "BAR1", "BAR2", "BAR3",
    "BAR4", "BAR5", nullptr, nullptr, nullptr, nullptr, nullptr, "in configuration space"};
constexpr FieldName kSataRevision[] = {
    {0, 3, "Minor Revision", RO, kNumber},
    {4, 7, "Major Revision", RO, kNumber},
    {8, 15, "Reserved", RO},
};
constexpr FieldName kSataBar[] = {
    {0, 3, "BAR Location", RO, kNone, kSataBars},
    {4, 23, "BAR Offset (dwords)", RO},
    {24, 31, "Reserved", RO},
};
constexpr RegisterName kSata[] = {
    QBUS_CAPABILITY_HEADER,
    {0x02, 2, "SATA Capability Register 0", kSataRevision},
    {0x04, 4, "SATA Capability Register 1", kSataBar},
};

constexpr RegisterName kBridgeSubsystem[] = {
    QBUS_CAPABILITY_HEADER,
    {0x02, 2, "Reserved", {}, RO},
    {0x04, 2, "Subsystem Vendor ID", {}, RO, kSubsystemVendorName},
    {0x06, 2, "Subsystem ID", {}, RO, kSubsystemName},
};

constexpr FieldName kAfCapabilities[] = {
    {0, 0, "Transactions Pending Capable", RO},
    {1, 1, "Function Level Reset Capable", RO},
    {2, 7, "Reserved", RO},
};
constexpr FieldName kAfControl[] = {
    {0, 0, "Initiate Function Level Reset"},
    {1, 7, "Reserved", RO},
};
constexpr FieldName kAfStatus[] = {
    {0, 0, "Transactions Pending", RO},
    {1, 7, "Reserved", RO},
};
constexpr RegisterName kAdvancedFeatures[] = {
    QBUS_CAPABILITY_HEADER,
    {0x02, 1, "Length", {}, RO, kNumber},
    {0x03, 1, "AF Capabilities", kAfCapabilities},
    {0x04, 1, "AF Control", kAfControl},
    {0x05, 1, "AF Status", kAfStatus},
};

// Vendor-specific: the length byte counts from the capability's first byte.
constexpr auto kVendorSpecific = [] {
  std::array<RegisterName, 4 + 63> registers{};
  registers[0] = {0x00, 1, "Capability ID", {}, RO, kCapabilityId};
  registers[1] = {0x01, 1, "Next Capability Pointer", {}, RO};
  registers[2] = {0x02, 1, "Capability Length", {}, RO};
  registers[3] = {0x03, 1, "Data"};
  for (int i = 0; i < 63; ++i) registers[4 + i] = {4 + 4 * i, 4, "Data"};
  return registers;
}();

// Enhanced Allocation: a header, then entries of a header dword and as many dwords as it says.
constexpr const char* kEaIndicators[] = {
    "BAR 0", "BAR 1", "BAR 2", "BAR 3", "BAR 4", "BAR 5", "resource behind function",
    "not indicated", "expansion ROM", "VF-BAR 0", "VF-BAR 1", "VF-BAR 2", "VF-BAR 3",
    "VF-BAR 4", "VF-BAR 5"};
constexpr auto kEaProperties = [] {
  std::array<const char*, 256> names{};
  names[0x00] = "memory space, non-prefetchable";
  names[0x01] = "memory space, prefetchable";
  names[0x02] = "I/O space";
  names[0x03] = "VF memory space, prefetchable";
  names[0x04] = "VF memory space, non-prefetchable";
  names[0x05] = "allocation behind bridge, non-prefetchable memory";
  names[0x06] = "allocation behind bridge, prefetchable memory";
  names[0x07] = "allocation behind bridge, I/O space";
  names[0xFD] = "memory space resource unavailable for use";
  names[0xFE] = "I/O space resource unavailable for use";
  names[0xFF] = "entry unavailable for use";
  return names;
}();
constexpr FieldName kEaCount[] = {
    {0, 5, "Num Entries", RO, kNumber},
    {6, 15, "Reserved", RO},
};
constexpr FieldName kEaBusNumbers[] = {
    {0, 7, "Fixed Secondary Bus Number", RO, kNumber},
    {8, 15, "Fixed Subordinate Bus Number", RO, kNumber},
    {16, 31, "Reserved", RO},
};
constexpr FieldName kEaEntryHeader[] = {
    {0, 2, "Entry Size (dwords)", RO, kNumber},
    {3, 3, "Reserved", RO},
    {4, 7, "BAR Equivalent Indicator", RO, kNone, kEaIndicators},
    {8, 15, "Primary Properties", RO, kNone, kEaProperties},
    {16, 23, "Secondary Properties", RO, kNone, kEaProperties},
    {24, 29, "Reserved", RO},
    {30, 30, "Writable", RO},
    {31, 31, "Enable"},
};
constexpr FieldName kEaBase[] = {
    {0, 0, "Reserved", RO},
    {1, 1, "64-bit Base", RO},
    {2, 31, "Base (bits 31-2)", RW, kAddress},
};
constexpr FieldName kEaMaxOffset[] = {
    {0, 0, "Reserved", RO},
    {1, 1, "64-bit Max Offset", RO},
    {2, 31, "Max Offset (bits 31-2)", RW, kLastAddress},
};
constexpr RegisterName kEaStart[] = {
    QBUS_CAPABILITY_HEADER,
    {0x02, 2, "Number of Entries", kEaCount},
};
constexpr RegisterName kEaBridgeBuses = {0x04, 4, "Fixed Bus Numbers", kEaBusNumbers};

#undef QBUS_AGP_STATUS
#undef QBUS_AGP_COMMAND
#undef QBUS_CAPABILITY_HEADER

// clang-format on

std::span<const RegisterName> ChoosePcix(const ConfigReader&, uint32_t, int header_type) {
  if (header_type == 1) return kPcixBridge;
  return kPcixDevice;
}

std::span<const RegisterName> ChooseHyperTransport(const ConfigReader& read, uint32_t at, int) {
  const auto command = read(at + 2, 2);
  if (!command) return std::span(kHtOther).first(2);
  switch (*command >> 13) {
    case 0:
      return kHtSlave;
    case 1:
      return kHtHost;
    default:
      break;
  }
  switch (*command >> 11) {
    case 0x10:
      return kHtInterrupt;
    case 0x11:
      return kHtRevisionId;
    case 0x12:
      return kHtClumping;
    case 0x15:
      return kHtMsiMapping;
    default:
      return kHtOther;
  }
}

std::span<const RegisterName> ChooseAgp(const ConfigReader& read, uint32_t at, int) {
  const auto status = read(at + 4, 4);
  return status && (*status & 0x8) != 0 ? kAgp3 : kAgp;
}

std::span<const RegisterName> ChooseVendorSpecific(const ConfigReader& read, uint32_t at, int) {
  const auto length = read(at + 2, 1);
  if (!length || *length < 4) return std::span(kVendorSpecific).first(3);
  return std::span(kVendorSpecific).first(4 + (*length - 4) / 4);
}

// Entry tables differ by the entries' sizes, so each layout is built once and kept: the tree
// holds spans into them for as long as the program runs.
const char* EntryName(int entry, const char* part) {
  static std::set<std::string> names;
  return names.insert("Entry " + std::to_string(entry) + " " + part).first->c_str();
}

bool SameLayout(std::span<const RegisterName> a, std::span<const RegisterName> b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
    return x.offset == y.offset && x.size == y.size && x.name == y.name &&
           x.fields.data() == y.fields.data();
  });
}

std::span<const RegisterName> ChooseEnhancedAllocation(const ConfigReader& read, uint32_t at,
                                                       int header_type) {
  static std::mutex mutex;
  static std::vector<std::unique_ptr<std::vector<RegisterName>>> layouts;
  const std::lock_guard lock(mutex);

  std::vector<RegisterName> registers(std::begin(kEaStart), std::end(kEaStart));
  if (header_type == 1) registers.push_back(kEaBridgeBuses);
  const auto count = read(at + 2, 1);
  int offset = header_type == 1 ? 8 : 4;
  for (int entry = 0; count && entry < static_cast<int>(*count & 0x3F); ++entry) {
    const auto header = at + offset + 4 <= 0x100 ? read(at + offset, 4) : std::nullopt;
    if (!header) break;
    const int size = static_cast<int>(*header & 7);
    registers.push_back({offset, 4, EntryName(entry, "Header"), kEaEntryHeader});
    bool base_upper = false, max_upper = false;
    for (int dword = 1; dword <= size && at + offset + 4 * dword + 4 <= 0x100; ++dword) {
      const int place = offset + 4 * dword;
      const auto value = read(at + place, 4).value_or(0);
      if (dword == 1) {
        base_upper = (value & 2) != 0;
        registers.push_back({place, 4, EntryName(entry, "Base"), kEaBase});
      } else if (dword == 2) {
        max_upper = (value & 2) != 0;
        registers.push_back({place, 4, EntryName(entry, "Max Offset"), kEaMaxOffset});
      } else if (base_upper) {
        base_upper = false;
        registers.push_back({place, 4, EntryName(entry, "Base (upper)")});
      } else if (max_upper) {
        max_upper = false;
        registers.push_back({place, 4, EntryName(entry, "Max Offset (upper)")});
      } else {
        registers.push_back({place, 4, EntryName(entry, "Reserved")});
      }
    }
    offset += 4 * (size + 1);
  }
  for (const auto& layout : layouts) {
    if (SameLayout(*layout, registers)) return *layout;
  }
  layouts.push_back(std::make_unique<std::vector<RegisterName>>(std::move(registers)));
  return *layouts.back();
}

// clang-format off
constexpr CapabilityName kBus[] = {
    {0x02, "AGP", kAgp, 12, ChooseAgp},
    {0x03, "Vital Product Data", kVpd, 8},
    {0x07, "PCI-X", kPcixDevice, 0, ChoosePcix},
    {0x08, "HyperTransport", kHtOther, 0, ChooseHyperTransport},
    {0x09, "Vendor-Specific", std::span(kVendorSpecific).first(3), 0, ChooseVendorSpecific},
    {0x0A, "Debug Port", kDebug, 4},
    {0x0D, "Bridge Subsystem Vendor ID", kBridgeSubsystem, 8},
    {0x12, "SATA Data/Index Configuration", kSata, 8},
    {0x13, "Advanced Features", kAdvancedFeatures, 6},
    {0x14, "Enhanced Allocation", kEaStart, 0, ChooseEnhancedAllocation},
};
// clang-format on

}  // namespace

std::span<const CapabilityName> BusCapabilities() { return kBus; }

}  // namespace qbus::config_space
