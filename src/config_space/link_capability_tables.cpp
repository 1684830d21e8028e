// SPDX-License-Identifier: GPL-3.0-or-later
#include <array>

#include "config_space/capability_groups.h"

namespace qbus::config_space {
namespace {

// The tables keep one register or field a line.
// clang-format off

using namespace table_parts;
using enum Meaning;


// Virtual Channel, with or without MFVC, and the MFVC capability: the port's registers, then a
// capability, control and status register for each channel, 12 bytes apart from 0x10. The
// arbitration tables lie beyond them, at the offsets the registers give.
constexpr const char* kReferenceClocks[] = {"100 ns"};
constexpr const char* kTableEntrySizes[] = {"1 bit", "2 bits", "4 bits", "8 bits"};
// Weighted round robin (WRR) with as many phases.
constexpr const char* kVcArbitrations[] = {"hardware fixed", "WRR 32 phases", "WRR 64 phases",
                                           "WRR 128 phases"};
constexpr const char* kPortArbitrations[] = {"hardware fixed", "WRR 32 phases", "WRR 64 phases",
                                             "WRR 128 phases", "time-based WRR 128 phases",
                                             "WRR 256 phases"};
constexpr FieldName kVcPortCapability1[] = {
    {0, 2, "Extended VC Count", RO, kNumber},
    {3, 3, "Reserved", RO},
    {4, 6, "Low Priority Extended VC Count", RO, kNumber},
    {7, 7, "Reserved", RO},
    {8, 9, "Reference Clock", RO, kNone, kReferenceClocks},
    {10, 11, "Port Arbitration Table Entry Size", RO, kNone, kTableEntrySizes},
    {12, 31, "Reserved", RO},
};
constexpr FieldName kMfvcPortCapability1[] = {
    {0, 2, "Extended VC Count", RO, kNumber},
    {3, 3, "Reserved", RO},
    {4, 6, "Low Priority Extended VC Count", RO, kNumber},
    {7, 7, "Reserved", RO},
    {8, 9, "Reference Clock", RO, kNone, kReferenceClocks},
    {10, 11, "Function Arbitration Table Entry Size", RO, kNone, kTableEntrySizes},
    {12, 31, "Reserved", RO},
};
// Table offsets count 16-byte units from the capability's first byte.
constexpr FieldName kPortVcCapability2[] = {
    {0, 0, "Hardware Fixed Arbitration", RO},
    {1, 1, "WRR Arbitration with 32 Phases", RO},
    {2, 2, "WRR Arbitration with 64 Phases", RO},
    {3, 3, "WRR Arbitration with 128 Phases", RO},
    {4, 23, "Reserved", RO},
    {24, 31, "VC Arbitration Table Offset (16 bytes)", RO, kNumber},
};
constexpr FieldName kPortVcControl[] = {
    {0, 0, "Load VC Arbitration Table"},
    {1, 3, "VC Arbitration Select", Access::kReadWrite, kNone, kVcArbitrations},
    {4, 15, "Reserved", RO},
};
constexpr FieldName kPortVcStatus[] = {
    {0, 0, "VC Arbitration Table Status", RO},
    {1, 15, "Reserved", RO},
};
constexpr FieldName kVcResourceCapability[] = {
    {0, 0, "Hardware Fixed Port Arbitration", RO},
    {1, 1, "WRR Port Arbitration with 32 Phases", RO},
    {2, 2, "WRR Port Arbitration with 64 Phases", RO},
    {3, 3, "WRR Port Arbitration with 128 Phases", RO},
    {4, 4, "Time-Based WRR Port Arbitration with 128 Phases", RO},
    {5, 5, "WRR Port Arbitration with 256 Phases", RO},
    {6, 13, "Reserved", RO},
    {14, 14, "Reserved (Advanced Packet Switching)", RO},
    {15, 15, "Reject Snoop Transactions", RO},
    {16, 22, "Maximum Time Slots", RO, kNumberPlusOne},
    {23, 23, "Reserved", RO},
    {24, 31, "Port Arbitration Table Offset (16 bytes)", RO, kNumber},
};
constexpr FieldName kMfvcResourceCapability[] = {
    {0, 0, "Hardware Fixed Function Arbitration", RO},
    {1, 1, "WRR Function Arbitration with 32 Phases", RO},
    {2, 2, "WRR Function Arbitration with 64 Phases", RO},
    {3, 3, "WRR Function Arbitration with 128 Phases", RO},
    {4, 4, "Time-Based WRR Function Arbitration with 128 Phases", RO},
    {5, 5, "WRR Function Arbitration with 256 Phases", RO},
    {6, 15, "Reserved", RO},
    {16, 22, "Maximum Time Slots", RO, kNumberPlusOne},
    {23, 23, "Reserved", RO},
    {24, 31, "Function Arbitration Table Offset (16 bytes)", RO, kNumber},
};
constexpr FieldName kVcResourceControl[] = {
    {0, 7, "TC/VC Map"},
    {8, 15, "Reserved", RO},
    {16, 16, "Load Port Arbitration Table"},
    {17, 19, "Port Arbitration Select", Access::kReadWrite, kNone, kPortArbitrations},
    {20, 23, "Reserved", RO},
    {24, 26, "VC ID", Access::kReadWrite, kNumber},
    {27, 30, "Reserved", RO},
    {31, 31, "VC Enable"},
};
constexpr FieldName kMfvcResourceControl[] = {
    {0, 7, "TC/VC Map"},
    {8, 15, "Reserved", RO},
    {16, 16, "Load Function Arbitration Table"},
    {17, 19, "Function Arbitration Select", Access::kReadWrite, kNone, kPortArbitrations},
    {20, 23, "Reserved", RO},
    {24, 26, "VC ID", Access::kReadWrite, kNumber},
    {27, 30, "Reserved", RO},
    {31, 31, "VC Enable"},
};
constexpr FieldName kVcResourceStatus[] = {
    {0, 0, "Port Arbitration Table Status"},
    {1, 1, "VC Negotiation Pending"},
    {2, 15, "Reserved", RO},
};
constexpr FieldName kMfvcResourceStatus[] = {
    {0, 0, "Function Arbitration Table Status"},
    {1, 1, "VC Negotiation Pending"},
    {2, 15, "Reserved", RO},
};

// The physical layers of 16, 32 and 64 GT/s: an equalization byte per lane follows the fixed
// registers, for as many lanes as the link's maximum width (capability_walk.cpp ends them).
constexpr const char* kPresets[] = {"P0", "P1", "P2", "P3", "P4", "P5",
                                    "P6", "P7", "P8", "P9", "P10"};
constexpr FieldName kLaneEqualization16[] = {
    {0, 3, "Downstream Port 16.0 GT/s Transmitter Preset", RO, kNone, kPresets},
    {4, 7, "Upstream Port 16.0 GT/s Transmitter Preset", RO, kNone, kPresets},
};
constexpr FieldName kLaneEqualization32[] = {
    {0, 3, "Downstream Port 32.0 GT/s Transmitter Preset", RO, kNone, kPresets},
    {4, 7, "Upstream Port 32.0 GT/s Transmitter Preset", RO, kNone, kPresets},
};
constexpr FieldName kLaneEqualization64[] = {
    {0, 3, "Downstream Port 64.0 GT/s Transmitter Preset", RO, kNone, kPresets},
    {4, 7, "Upstream Port 64.0 GT/s Transmitter Preset", RO, kNone, kPresets},
};
constexpr FieldName kStatus16[] = {
    {0, 0, "Equalization 16.0 GT/s Complete", RO},
    {1, 1, "Equalization 16.0 GT/s Phase 1 Successful", RO},
    {2, 2, "Equalization 16.0 GT/s Phase 2 Successful", RO},
    {3, 3, "Equalization 16.0 GT/s Phase 3 Successful", RO},
    {4, 4, "Link Equalization Request 16.0 GT/s"},
    {5, 31, "Reserved", RO},
};
constexpr FieldName kAllReserved[] = {
    {0, 31, "Reserved", RO},
};
// A bit per lane, lane 0 in bit 0.
constexpr FieldName kLaneBits[] = {
    {0, 31, "Data Parity Mismatch by Lane"},
};
constexpr FieldName kCapabilities32[] = {
    {0, 0, "Equalization Bypass to Highest Rate Supported", RO},
    {1, 1, "No Equalization Needed Supported", RO},
    {2, 7, "Reserved", RO},
    {8, 8, "Modified TS Usage Mode 0 Supported (PCI Express)", RO},
    {9, 9, "Modified TS Usage Mode 1 Supported (Training Set Message)", RO},
    {10, 10, "Modified TS Usage Mode 2 Supported (Alternate Protocol)", RO},
    {11, 15, "Modified TS Reserved Usage Modes", RO},
    {16, 31, "Reserved", RO},
};
constexpr FieldName kControl32[] = {
    {0, 0, "Equalization Bypass to Highest Rate Disable"},
    {1, 1, "No Equalization Needed Disable"},
    {2, 7, "Reserved", RO},
    {8, 10, "Modified TS Usage Mode Selected", Access::kReadWrite, kNumber},
    {11, 31, "Reserved", RO},
};
constexpr const char* kEnhancedLinkBehaviors[] = {
    "full equalization", "equalization bypass to highest rate", "no equalization needed",
    "Modified TS1/TS2 Ordered Sets"};
constexpr FieldName kStatus32[] = {
    {0, 0, "Equalization 32.0 GT/s Complete", RO},
    {1, 1, "Equalization 32.0 GT/s Phase 1 Successful", RO},
    {2, 2, "Equalization 32.0 GT/s Phase 2 Successful", RO},
    {3, 3, "Equalization 32.0 GT/s Phase 3 Successful", RO},
    {4, 4, "Link Equalization Request 32.0 GT/s"},
    {5, 5, "Modified TS Received", RO},
    {6, 7, "Received Enhanced Link Behavior Control", RO, kNone, kEnhancedLinkBehaviors},
    {8, 8, "Transmitter Precoding On", RO},
    {9, 9, "Transmitter Precoding Request", RO},
    {10, 10, "No Equalization Needed Received", RO},
    {11, 31, "Reserved", RO},
};
constexpr const char* kNegotiationStates[] = {"not supported", "in progress", "failed",
                                              "succeeded"};
constexpr FieldName kReceivedTsData1[] = {
    {0, 2, "Received Modified TS Usage Mode", RO, kNumber},
    {3, 15, "Received Modified TS Information 1", RO},
    {16, 31, "Received Modified TS Vendor ID", RO},
};
constexpr FieldName kReceivedTsData2[] = {
    {0, 23, "Received Modified TS Information 2", RO},
    {24, 25, "Alternate Protocol Negotiation Status", RO, kNone, kNegotiationStates},
    {26, 31, "Reserved", RO},
};
constexpr FieldName kTransmittedTsData1[] = {
    {0, 2, "Transmitted Modified TS Usage Mode", RO, kNumber},
    {3, 15, "Transmitted Modified TS Information 1", RO},
    {16, 31, "Transmitted Modified TS Vendor ID", RO},
};
constexpr FieldName kTransmittedTsData2[] = {
    {0, 23, "Transmitted Modified TS Information 2", RO},
    {24, 25, "Alternate Protocol Negotiation Status", RO, kNone, kNegotiationStates},
    {26, 31, "Reserved", RO},
};
constexpr FieldName kStatus64[] = {
    {0, 0, "Equalization 64.0 GT/s Complete", RO},
    {1, 1, "Equalization 64.0 GT/s Phase 1 Successful", RO},
    {2, 2, "Equalization 64.0 GT/s Phase 2 Successful", RO},
    {3, 3, "Equalization 64.0 GT/s Phase 3 Successful", RO},
    {4, 4, "Link Equalization Request 64.0 GT/s"},
    {5, 5, "Transmitter Precoding On", RO},
    {6, 6, "Transmitter Precoding Request", RO},
    {7, 7, "No Equalization Needed Received", RO},
    {8, 31, "Reserved", RO},
};

// Lane Margining: the port's pair of registers, then a control and status word per lane.
constexpr FieldName kMarginingPortCapabilities[] = {
    {0, 0, "Margining Uses Driver Software", RO},
    {1, 15, "Reserved", RO},
};
constexpr FieldName kMarginingPortStatus[] = {
    {0, 0, "Margining Ready", RO},
    {1, 1, "Margining Software Ready", RO},
    {2, 15, "Reserved", RO},
};
constexpr const char* kReceivers[] = {"broadcast", "receiver A", "receiver B", "receiver C",
                                      "receiver D", "receiver E", "receiver F"};
constexpr const char* kUsageModels[] = {"lane margining"};
constexpr FieldName kMarginingLaneControl[] = {
    {0, 2, "Receiver Number", Access::kReadWrite, kNone, kReceivers},
    {3, 5, "Margin Type"},
    {6, 6, "Usage Model", Access::kReadWrite, kNone, kUsageModels},
    {7, 7, "Reserved", RO},
    {8, 15, "Margin Payload"},
};
constexpr FieldName kMarginingLaneStatus[] = {
    {0, 2, "Receiver Number Status", RO, kNone, kReceivers},
    {3, 5, "Margin Type Status", RO},
    {6, 6, "Usage Model Status", RO, kNone, kUsageModels},
    {7, 7, "Reserved", RO},
    {8, 15, "Margin Payload Status", RO},
};

// Data Link Feature: bit 0 is the one feature defined before flit mode; the others follow it.
constexpr FieldName kDataLinkCapabilities[] = {
    {0, 0, "Local Scaled Flow Control Supported", RO},
    {1, 22, "Local Data Link Features Supported (other features)", RO},
    {23, 30, "Reserved", RO},
    {31, 31, "Data Link Feature Exchange Enable"},
};
constexpr FieldName kDataLinkStatus[] = {
    {0, 0, "Remote Scaled Flow Control Supported", RO},
    {1, 22, "Remote Data Link Features Supported (other features)", RO},
    {23, 30, "Reserved", RO},
    {31, 31, "Remote Data Link Feature Supported Valid", RO},
};
constexpr RegisterName kDataLinkFeature[] = {
    {0x00, 4, "Extended Capability Header", kExtendedHeader},
    {0x04, 4, "Data Link Feature Capabilities", kDataLinkCapabilities},
    {0x08, 4, "Data Link Feature Status", kDataLinkStatus, RO},
};

// Device 3.
constexpr const char* kL0pExitLatencies[] = {"<1 us", "<2 us", "<4 us", "<8 us",
                                             "<16 us", "<32 us", "<64 us", ">64 us"};
constexpr const char* kL0pWidths[] = {"x1", "x2", "x4", "x8", "x16"};
constexpr FieldName kDeviceCapabilities3[] = {
    {0, 0, "DMWr Request Routing Supported", RO},
    {1, 1, "14-Bit Tag Completer Supported", RO},
    {2, 2, "14-Bit Tag Requester Supported", RO},
    {3, 3, "L0p Supported", RO},
    {4, 6, "Port L0p Exit Latency", RO, kNone, kL0pExitLatencies},
    {7, 9, "Retimer L0p Exit Latency", RO, kNone, kL0pExitLatencies},
    {10, 31, "Reserved", RO},
};
constexpr FieldName kDeviceControl3[] = {
    {0, 0, "DMWr Requester Enable"},
    {1, 1, "DMWr Egress Blocking"},
    {2, 2, "14-Bit Tag Requester Enable"},
    {3, 3, "L0p Enable"},
    {4, 6, "Target Link Width", Access::kReadWrite, kNone, kL0pWidths},
    {7, 31, "Reserved", RO},
};
constexpr FieldName kDeviceStatus3[] = {
    {0, 2, "Initial Link Width", RO, kNone, kL0pWidths},
    {3, 3, "Segment Captured", RO},
    {4, 4, "Remote L0p Supported", RO},
    {5, 31, "Reserved", RO},
};
constexpr RegisterName kDevice3[] = {
    {0x00, 4, "Extended Capability Header", kExtendedHeader},
    {0x04, 4, "Device Capabilities 3", kDeviceCapabilities3, RO},
    {0x08, 4, "Device Control 3", kDeviceControl3},
    {0x0C, 4, "Device Status 3", kDeviceStatus3, RO},
};

// Integrity and Data Encryption: the capability and control, a block of two registers per
// link stream (one per traffic class the capability counts), then the selective streams, each
// with as many address association blocks as its own capability register says.
constexpr const char* kAlgorithms[] = {"AES-GCM, 256-bit key, 96-bit MAC"};
constexpr const char* kAggregations[] = {"none", "up to 2", "up to 4", "up to 8"};
constexpr const char* kStreamStates[] = {"insecure", nullptr, "secure"};
constexpr FieldName kIdeCapability[] = {
    {0, 0, "Link IDE Stream Supported", RO},
    {1, 1, "Selective IDE Streams Supported", RO},
    {2, 2, "Flow-Through IDE Stream Supported", RO},
    {3, 3, "Partial Header Encryption Supported", RO},
    {4, 4, "Aggregation Supported", RO},
    {5, 5, "PCRC Supported", RO},
    {6, 6, "IDE_KM Protocol Supported", RO},
    {7, 7, "Selective IDE for Configuration Requests Supported", RO},
    {8, 12, "Supported Algorithms", RO, kNone, kAlgorithms},
    {13, 15, "Number of TCs Supported for Link IDE", RO, kNumberPlusOne},
    {16, 23, "Number of Selective IDE Streams Supported", RO, kNumberPlusOne},
    {24, 24, "TEE-Limited Stream Supported", RO},
    {25, 31, "Reserved", RO},
};
constexpr FieldName kIdeControl[] = {
    {0, 1, "Reserved", RO},
    {2, 2, "Flow-Through IDE Stream Enabled"},
    {3, 31, "Reserved", RO},
};
constexpr FieldName kLinkStreamControl[] = {
    {0, 0, "Link IDE Stream Enable"},
    {1, 1, "Reserved", RO},
    {2, 3, "Tx Aggregation Mode NPR", Access::kReadWrite, kNone, kAggregations},
    {4, 5, "Tx Aggregation Mode PR", Access::kReadWrite, kNone, kAggregations},
    {6, 7, "Tx Aggregation Mode CPL", Access::kReadWrite, kNone, kAggregations},
    {8, 8, "PCRC Enable"},
    {9, 9, "Reserved", RO},
    {10, 13, "Partial Header Encryption Mode"},
    {14, 18, "Selected Algorithm", Access::kReadWrite, kNone, kAlgorithms},
    {19, 21, "TC", Access::kReadWrite, kNumber},
    {22, 23, "Reserved", RO},
    {24, 31, "Stream ID", Access::kReadWrite, kNumber},
};
constexpr FieldName kStreamStatus[] = {
    {0, 3, "IDE Stream State", RO, kNone, kStreamStates},
    {4, 30, "Reserved", RO},
    {31, 31, "Received Integrity Check Fail Message", W1C},
};
constexpr FieldName kSelectiveCapability[] = {
    {0, 3, "Number of Address Association Register Blocks", RO, kNumber},
    {4, 31, "Reserved", RO},
};
constexpr FieldName kSelectiveControl[] = {
    {0, 0, "Selective IDE Stream Enable"},
    {1, 1, "Reserved", RO},
    {2, 3, "Tx Aggregation Mode NPR", Access::kReadWrite, kNone, kAggregations},
    {4, 5, "Tx Aggregation Mode PR", Access::kReadWrite, kNone, kAggregations},
    {6, 7, "Tx Aggregation Mode CPL", Access::kReadWrite, kNone, kAggregations},
    {8, 8, "PCRC Enable"},
    {9, 9, "Selective IDE for Configuration Requests Enable"},
    {10, 13, "Partial Header Encryption Mode"},
    {14, 18, "Selected Algorithm", Access::kReadWrite, kNone, kAlgorithms},
    {19, 21, "TC", Access::kReadWrite, kNumber},
    {22, 22, "Default Stream"},
    {23, 23, "TEE-Limited Stream"},
    {24, 31, "Stream ID", Access::kReadWrite, kNumber},
};
constexpr FieldName kRidAssociation1[] = {
    {0, 7, "Reserved", RO},
    {8, 23, "RID Limit"},
    {24, 31, "Reserved", RO},
};
constexpr FieldName kRidAssociation2[] = {
    {0, 0, "Valid"},
    {1, 7, "Reserved", RO},
    {8, 23, "RID Base"},
    {24, 31, "Segment Base"},
};
// Bits 31-20 of the window's base and limit; the upper halves follow in registers 2 and 3.
constexpr FieldName kAddressAssociation1[] = {
    {0, 0, "Valid"},
    {1, 7, "Reserved", RO},
    {8, 19, "Memory Base Lower (address bits 31-20)"},
    {20, 31, "Memory Limit Lower (address bits 31-20)"},
};

// Flit Logging, Flit Error Injection and the MMIO register block locator, by register.
constexpr RegisterName kFlitLogging[] = {
    {0x00, 4, "Extended Capability Header", kExtendedHeader},
    {0x04, 4, "Flit Error Log 1"},
    {0x08, 4, "Flit Error Log 2"},
    {0x0C, 2, "Flit Error Counter Control"},
    {0x0E, 2, "Flit Error Counter Status"},
    {0x10, 4, "FBER Measurement Control"},
    {0x14, 4, "FBER Measurement Status 1"},
    {0x18, 4, "FBER Measurement Status 2"},
    {0x1C, 4, "FBER Measurement Status 3"},
    {0x20, 4, "FBER Measurement Status 4"},
    {0x24, 4, "FBER Measurement Status 5"},
    {0x28, 4, "FBER Measurement Status 6"},
    {0x2C, 4, "FBER Measurement Status 7"},
    {0x30, 4, "FBER Measurement Status 8"},
    {0x34, 4, "FBER Measurement Status 9"},
    {0x38, 4, "FBER Measurement Status 10"},
};
constexpr RegisterName kFlitErrorInjection[] = {
    {0x00, 4, "Extended Capability Header", kExtendedHeader},
    {0x04, 4, "Flit Error Injection Capability", {}, RO},
    {0x08, 4, "Flit Error Injection Control 1"},
    {0x0C, 4, "Flit Error Injection Control 2"},
    {0x10, 4, "Flit Error Injection Status"},
    {0x14, 4, "Ordered Set Error Injection Control 1"},
    {0x18, 4, "Ordered Set Error Injection Control 2"},
    {0x1C, 4, "Ordered Set Error Tx Injection Status"},
    {0x20, 4, "Ordered Set Error Rx Injection Status"},
};
constexpr RegisterName kRegisterBlockLocator[] = {
    {0x00, 4, "Extended Capability Header", kExtendedHeader},
    {0x04, 4, "MRBL Capabilities", {}, RO},
};

constexpr RegisterName kVirtualChannel[] = {
    {0x00, 4, "Extended Capability Header", kExtendedHeader},
    {0x04, 4, "Port VC Capability 1", kVcPortCapability1, RO},
    {0x08, 4, "Port VC Capability 2", kPortVcCapability2, RO},
    {0x0C, 2, "Port VC Control", kPortVcControl},
    {0x0E, 2, "Port VC Status", kPortVcStatus, RO},
    {0x10, 4, "VC Resource Capability 0", kVcResourceCapability, RO},
    {0x14, 4, "VC Resource Control 0", kVcResourceControl},
    {0x1A, 2, "VC Resource Status 0", kVcResourceStatus, RO},
    {0x1C, 4, "VC Resource Capability 1", kVcResourceCapability, RO},
    {0x20, 4, "VC Resource Control 1", kVcResourceControl},
    {0x26, 2, "VC Resource Status 1", kVcResourceStatus, RO},
    {0x28, 4, "VC Resource Capability 2", kVcResourceCapability, RO},
    {0x2C, 4, "VC Resource Control 2", kVcResourceControl},
    {0x32, 2, "VC Resource Status 2", kVcResourceStatus, RO},
    {0x34, 4, "VC Resource Capability 3", kVcResourceCapability, RO},
    {0x38, 4, "VC Resource Control 3", kVcResourceControl},
    {0x3E, 2, "VC Resource Status 3", kVcResourceStatus, RO},
    {0x40, 4, "VC Resource Capability 4", kVcResourceCapability, RO},
    {0x44, 4, "VC Resource Control 4", kVcResourceControl},
    {0x4A, 2, "VC Resource Status 4", kVcResourceStatus, RO},
    {0x4C, 4, "VC Resource Capability 5", kVcResourceCapability, RO},
    {0x50, 4, "VC Resource Control 5", kVcResourceControl},
    {0x56, 2, "VC Resource Status 5", kVcResourceStatus, RO},
    {0x58, 4, "VC Resource Capability 6", kVcResourceCapability, RO},
    {0x5C, 4, "VC Resource Control 6", kVcResourceControl},
    {0x62, 2, "VC Resource Status 6", kVcResourceStatus, RO},
    {0x64, 4, "VC Resource Capability 7", kVcResourceCapability, RO},
    {0x68, 4, "VC Resource Control 7", kVcResourceControl},
    {0x6E, 2, "VC Resource Status 7", kVcResourceStatus, RO},
};
constexpr RegisterName kMultiFunctionVc[] = {
    {0x00, 4, "Extended Capability Header", kExtendedHeader},
    {0x04, 4, "Port VC Capability 1", kMfvcPortCapability1, RO},
    {0x08, 4, "Port VC Capability 2", kPortVcCapability2, RO},
    {0x0C, 2, "Port VC Control", kPortVcControl},
    {0x0E, 2, "Port VC Status", kPortVcStatus, RO},
    {0x10, 4, "VC Resource Capability 0", kMfvcResourceCapability, RO},
    {0x14, 4, "VC Resource Control 0", kMfvcResourceControl},
    {0x1A, 2, "VC Resource Status 0", kMfvcResourceStatus, RO},
    {0x1C, 4, "VC Resource Capability 1", kMfvcResourceCapability, RO},
    {0x20, 4, "VC Resource Control 1", kMfvcResourceControl},
    {0x26, 2, "VC Resource Status 1", kMfvcResourceStatus, RO},
    {0x28, 4, "VC Resource Capability 2", kMfvcResourceCapability, RO},
    {0x2C, 4, "VC Resource Control 2", kMfvcResourceControl},
    {0x32, 2, "VC Resource Status 2", kMfvcResourceStatus, RO},
    {0x34, 4, "VC Resource Capability 3", kMfvcResourceCapability, RO},
    {0x38, 4, "VC Resource Control 3", kMfvcResourceControl},
    {0x3E, 2, "VC Resource Status 3", kMfvcResourceStatus, RO},
    {0x40, 4, "VC Resource Capability 4", kMfvcResourceCapability, RO},
    {0x44, 4, "VC Resource Control 4", kMfvcResourceControl},
    {0x4A, 2, "VC Resource Status 4", kMfvcResourceStatus, RO},
    {0x4C, 4, "VC Resource Capability 5", kMfvcResourceCapability, RO},
    {0x50, 4, "VC Resource Control 5", kMfvcResourceControl},
    {0x56, 2, "VC Resource Status 5", kMfvcResourceStatus, RO},
    {0x58, 4, "VC Resource Capability 6", kMfvcResourceCapability, RO},
    {0x5C, 4, "VC Resource Control 6", kMfvcResourceControl},
    {0x62, 2, "VC Resource Status 6", kMfvcResourceStatus, RO},
    {0x64, 4, "VC Resource Capability 7", kMfvcResourceCapability, RO},
    {0x68, 4, "VC Resource Control 7", kMfvcResourceControl},
    {0x6E, 2, "VC Resource Status 7", kMfvcResourceStatus, RO},
};
constexpr RegisterName kPhysical16[] = {
    {0x00, 4, "Extended Capability Header", kExtendedHeader},
    {0x04, 4, "16.0 GT/s Capabilities", kAllReserved, RO},
    {0x08, 4, "16.0 GT/s Control", kAllReserved},
    {0x0C, 4, "16.0 GT/s Status", kStatus16, W1C},
    {0x10, 4, "16.0 GT/s Local Data Parity Mismatch Status", kLaneBits, W1C},
    {0x14, 4, "16.0 GT/s First Retimer Data Parity Mismatch Status", kLaneBits, W1C},
    {0x18, 4, "16.0 GT/s Second Retimer Data Parity Mismatch Status", kLaneBits, W1C},
    {0x20, 1, "16.0 GT/s Lane Equalization Control (lane 0)", kLaneEqualization16, RO},
    {0x21, 1, "16.0 GT/s Lane Equalization Control (lane 1)", kLaneEqualization16, RO},
    {0x22, 1, "16.0 GT/s Lane Equalization Control (lane 2)", kLaneEqualization16, RO},
    {0x23, 1, "16.0 GT/s Lane Equalization Control (lane 3)", kLaneEqualization16, RO},
    {0x24, 1, "16.0 GT/s Lane Equalization Control (lane 4)", kLaneEqualization16, RO},
    {0x25, 1, "16.0 GT/s Lane Equalization Control (lane 5)", kLaneEqualization16, RO},
    {0x26, 1, "16.0 GT/s Lane Equalization Control (lane 6)", kLaneEqualization16, RO},
    {0x27, 1, "16.0 GT/s Lane Equalization Control (lane 7)", kLaneEqualization16, RO},
    {0x28, 1, "16.0 GT/s Lane Equalization Control (lane 8)", kLaneEqualization16, RO},
    {0x29, 1, "16.0 GT/s Lane Equalization Control (lane 9)", kLaneEqualization16, RO},
    {0x2A, 1, "16.0 GT/s Lane Equalization Control (lane 10)", kLaneEqualization16, RO},
    {0x2B, 1, "16.0 GT/s Lane Equalization Control (lane 11)", kLaneEqualization16, RO},
    {0x2C, 1, "16.0 GT/s Lane Equalization Control (lane 12)", kLaneEqualization16, RO},
    {0x2D, 1, "16.0 GT/s Lane Equalization Control (lane 13)", kLaneEqualization16, RO},
    {0x2E, 1, "16.0 GT/s Lane Equalization Control (lane 14)", kLaneEqualization16, RO},
    {0x2F, 1, "16.0 GT/s Lane Equalization Control (lane 15)", kLaneEqualization16, RO},
    {0x30, 1, "16.0 GT/s Lane Equalization Control (lane 16)", kLaneEqualization16, RO},
    {0x31, 1, "16.0 GT/s Lane Equalization Control (lane 17)", kLaneEqualization16, RO},
    {0x32, 1, "16.0 GT/s Lane Equalization Control (lane 18)", kLaneEqualization16, RO},
    {0x33, 1, "16.0 GT/s Lane Equalization Control (lane 19)", kLaneEqualization16, RO},
    {0x34, 1, "16.0 GT/s Lane Equalization Control (lane 20)", kLaneEqualization16, RO},
    {0x35, 1, "16.0 GT/s Lane Equalization Control (lane 21)", kLaneEqualization16, RO},
    {0x36, 1, "16.0 GT/s Lane Equalization Control (lane 22)", kLaneEqualization16, RO},
    {0x37, 1, "16.0 GT/s Lane Equalization Control (lane 23)", kLaneEqualization16, RO},
    {0x38, 1, "16.0 GT/s Lane Equalization Control (lane 24)", kLaneEqualization16, RO},
    {0x39, 1, "16.0 GT/s Lane Equalization Control (lane 25)", kLaneEqualization16, RO},
    {0x3A, 1, "16.0 GT/s Lane Equalization Control (lane 26)", kLaneEqualization16, RO},
    {0x3B, 1, "16.0 GT/s Lane Equalization Control (lane 27)", kLaneEqualization16, RO},
    {0x3C, 1, "16.0 GT/s Lane Equalization Control (lane 28)", kLaneEqualization16, RO},
    {0x3D, 1, "16.0 GT/s Lane Equalization Control (lane 29)", kLaneEqualization16, RO},
    {0x3E, 1, "16.0 GT/s Lane Equalization Control (lane 30)", kLaneEqualization16, RO},
    {0x3F, 1, "16.0 GT/s Lane Equalization Control (lane 31)", kLaneEqualization16, RO},
};
constexpr RegisterName kPhysical32[] = {
    {0x00, 4, "Extended Capability Header", kExtendedHeader},
    {0x04, 4, "32.0 GT/s Capabilities", kCapabilities32, RO},
    {0x08, 4, "32.0 GT/s Control", kControl32},
    {0x0C, 4, "32.0 GT/s Status", kStatus32, W1C},
    {0x10, 4, "Received Modified TS Data 1", kReceivedTsData1, RO},
    {0x14, 4, "Received Modified TS Data 2", kReceivedTsData2, RO},
    {0x18, 4, "Transmitted Modified TS Data 1", kTransmittedTsData1, RO},
    {0x1C, 4, "Transmitted Modified TS Data 2", kTransmittedTsData2, RO},
    {0x20, 1, "32.0 GT/s Lane Equalization Control (lane 0)", kLaneEqualization32, RO},
    {0x21, 1, "32.0 GT/s Lane Equalization Control (lane 1)", kLaneEqualization32, RO},
    {0x22, 1, "32.0 GT/s Lane Equalization Control (lane 2)", kLaneEqualization32, RO},
    {0x23, 1, "32.0 GT/s Lane Equalization Control (lane 3)", kLaneEqualization32, RO},
    {0x24, 1, "32.0 GT/s Lane Equalization Control (lane 4)", kLaneEqualization32, RO},
    {0x25, 1, "32.0 GT/s Lane Equalization Control (lane 5)", kLaneEqualization32, RO},
    {0x26, 1, "32.0 GT/s Lane Equalization Control (lane 6)", kLaneEqualization32, RO},
    {0x27, 1, "32.0 GT/s Lane Equalization Control (lane 7)", kLaneEqualization32, RO},
    {0x28, 1, "32.0 GT/s Lane Equalization Control (lane 8)", kLaneEqualization32, RO},
    {0x29, 1, "32.0 GT/s Lane Equalization Control (lane 9)", kLaneEqualization32, RO},
    {0x2A, 1, "32.0 GT/s Lane Equalization Control (lane 10)", kLaneEqualization32, RO},
    {0x2B, 1, "32.0 GT/s Lane Equalization Control (lane 11)", kLaneEqualization32, RO},
    {0x2C, 1, "32.0 GT/s Lane Equalization Control (lane 12)", kLaneEqualization32, RO},
    {0x2D, 1, "32.0 GT/s Lane Equalization Control (lane 13)", kLaneEqualization32, RO},
    {0x2E, 1, "32.0 GT/s Lane Equalization Control (lane 14)", kLaneEqualization32, RO},
    {0x2F, 1, "32.0 GT/s Lane Equalization Control (lane 15)", kLaneEqualization32, RO},
    {0x30, 1, "32.0 GT/s Lane Equalization Control (lane 16)", kLaneEqualization32, RO},
    {0x31, 1, "32.0 GT/s Lane Equalization Control (lane 17)", kLaneEqualization32, RO},
    {0x32, 1, "32.0 GT/s Lane Equalization Control (lane 18)", kLaneEqualization32, RO},
    {0x33, 1, "32.0 GT/s Lane Equalization Control (lane 19)", kLaneEqualization32, RO},
    {0x34, 1, "32.0 GT/s Lane Equalization Control (lane 20)", kLaneEqualization32, RO},
    {0x35, 1, "32.0 GT/s Lane Equalization Control (lane 21)", kLaneEqualization32, RO},
    {0x36, 1, "32.0 GT/s Lane Equalization Control (lane 22)", kLaneEqualization32, RO},
    {0x37, 1, "32.0 GT/s Lane Equalization Control (lane 23)", kLaneEqualization32, RO},
    {0x38, 1, "32.0 GT/s Lane Equalization Control (lane 24)", kLaneEqualization32, RO},
    {0x39, 1, "32.0 GT/s Lane Equalization Control (lane 25)", kLaneEqualization32, RO},
    {0x3A, 1, "32.0 GT/s Lane Equalization Control (lane 26)", kLaneEqualization32, RO},
    {0x3B, 1, "32.0 GT/s Lane Equalization Control (lane 27)", kLaneEqualization32, RO},
    {0x3C, 1, "32.0 GT/s Lane Equalization Control (lane 28)", kLaneEqualization32, RO},
    {0x3D, 1, "32.0 GT/s Lane Equalization Control (lane 29)", kLaneEqualization32, RO},
    {0x3E, 1, "32.0 GT/s Lane Equalization Control (lane 30)", kLaneEqualization32, RO},
    {0x3F, 1, "32.0 GT/s Lane Equalization Control (lane 31)", kLaneEqualization32, RO},
};
constexpr RegisterName kPhysical64[] = {
    {0x00, 4, "Extended Capability Header", kExtendedHeader},
    {0x04, 4, "64.0 GT/s Capabilities", kAllReserved, RO},
    {0x08, 4, "64.0 GT/s Control", kAllReserved},
    {0x0C, 4, "64.0 GT/s Status", kStatus64, W1C},
    {0x10, 1, "64.0 GT/s Lane Equalization Control (lane 0)", kLaneEqualization64, RO},
    {0x11, 1, "64.0 GT/s Lane Equalization Control (lane 1)", kLaneEqualization64, RO},
    {0x12, 1, "64.0 GT/s Lane Equalization Control (lane 2)", kLaneEqualization64, RO},
    {0x13, 1, "64.0 GT/s Lane Equalization Control (lane 3)", kLaneEqualization64, RO},
    {0x14, 1, "64.0 GT/s Lane Equalization Control (lane 4)", kLaneEqualization64, RO},
    {0x15, 1, "64.0 GT/s Lane Equalization Control (lane 5)", kLaneEqualization64, RO},
    {0x16, 1, "64.0 GT/s Lane Equalization Control (lane 6)", kLaneEqualization64, RO},
    {0x17, 1, "64.0 GT/s Lane Equalization Control (lane 7)", kLaneEqualization64, RO},
    {0x18, 1, "64.0 GT/s Lane Equalization Control (lane 8)", kLaneEqualization64, RO},
    {0x19, 1, "64.0 GT/s Lane Equalization Control (lane 9)", kLaneEqualization64, RO},
    {0x1A, 1, "64.0 GT/s Lane Equalization Control (lane 10)", kLaneEqualization64, RO},
    {0x1B, 1, "64.0 GT/s Lane Equalization Control (lane 11)", kLaneEqualization64, RO},
    {0x1C, 1, "64.0 GT/s Lane Equalization Control (lane 12)", kLaneEqualization64, RO},
    {0x1D, 1, "64.0 GT/s Lane Equalization Control (lane 13)", kLaneEqualization64, RO},
    {0x1E, 1, "64.0 GT/s Lane Equalization Control (lane 14)", kLaneEqualization64, RO},
    {0x1F, 1, "64.0 GT/s Lane Equalization Control (lane 15)", kLaneEqualization64, RO},
    {0x20, 1, "64.0 GT/s Lane Equalization Control (lane 16)", kLaneEqualization64, RO},
    {0x21, 1, "64.0 GT/s Lane Equalization Control (lane 17)", kLaneEqualization64, RO},
    {0x22, 1, "64.0 GT/s Lane Equalization Control (lane 18)", kLaneEqualization64, RO},
    {0x23, 1, "64.0 GT/s Lane Equalization Control (lane 19)", kLaneEqualization64, RO},
    {0x24, 1, "64.0 GT/s Lane Equalization Control (lane 20)", kLaneEqualization64, RO},
    {0x25, 1, "64.0 GT/s Lane Equalization Control (lane 21)", kLaneEqualization64, RO},
    {0x26, 1, "64.0 GT/s Lane Equalization Control (lane 22)", kLaneEqualization64, RO},
    {0x27, 1, "64.0 GT/s Lane Equalization Control (lane 23)", kLaneEqualization64, RO},
    {0x28, 1, "64.0 GT/s Lane Equalization Control (lane 24)", kLaneEqualization64, RO},
    {0x29, 1, "64.0 GT/s Lane Equalization Control (lane 25)", kLaneEqualization64, RO},
    {0x2A, 1, "64.0 GT/s Lane Equalization Control (lane 26)", kLaneEqualization64, RO},
    {0x2B, 1, "64.0 GT/s Lane Equalization Control (lane 27)", kLaneEqualization64, RO},
    {0x2C, 1, "64.0 GT/s Lane Equalization Control (lane 28)", kLaneEqualization64, RO},
    {0x2D, 1, "64.0 GT/s Lane Equalization Control (lane 29)", kLaneEqualization64, RO},
    {0x2E, 1, "64.0 GT/s Lane Equalization Control (lane 30)", kLaneEqualization64, RO},
    {0x2F, 1, "64.0 GT/s Lane Equalization Control (lane 31)", kLaneEqualization64, RO},
};
constexpr RegisterName kLaneMargining[] = {
    {0x00, 4, "Extended Capability Header", kExtendedHeader},
    {0x04, 2, "Margining Port Capabilities", kMarginingPortCapabilities, RO},
    {0x06, 2, "Margining Port Status", kMarginingPortStatus, RO},
    {0x08, 2, "Margining Lane Control (lane 0)", kMarginingLaneControl},
    {0x0A, 2, "Margining Lane Status (lane 0)", kMarginingLaneStatus, RO},
    {0x0C, 2, "Margining Lane Control (lane 1)", kMarginingLaneControl},
    {0x0E, 2, "Margining Lane Status (lane 1)", kMarginingLaneStatus, RO},
    {0x10, 2, "Margining Lane Control (lane 2)", kMarginingLaneControl},
    {0x12, 2, "Margining Lane Status (lane 2)", kMarginingLaneStatus, RO},
    {0x14, 2, "Margining Lane Control (lane 3)", kMarginingLaneControl},
    {0x16, 2, "Margining Lane Status (lane 3)", kMarginingLaneStatus, RO},
    {0x18, 2, "Margining Lane Control (lane 4)", kMarginingLaneControl},
    {0x1A, 2, "Margining Lane Status (lane 4)", kMarginingLaneStatus, RO},
    {0x1C, 2, "Margining Lane Control (lane 5)", kMarginingLaneControl},
    {0x1E, 2, "Margining Lane Status (lane 5)", kMarginingLaneStatus, RO},
    {0x20, 2, "Margining Lane Control (lane 6)", kMarginingLaneControl},
    {0x22, 2, "Margining Lane Status (lane 6)", kMarginingLaneStatus, RO},
    {0x24, 2, "Margining Lane Control (lane 7)", kMarginingLaneControl},
    {0x26, 2, "Margining Lane Status (lane 7)", kMarginingLaneStatus, RO},
    {0x28, 2, "Margining Lane Control (lane 8)", kMarginingLaneControl},
    {0x2A, 2, "Margining Lane Status (lane 8)", kMarginingLaneStatus, RO},
    {0x2C, 2, "Margining Lane Control (lane 9)", kMarginingLaneControl},
    {0x2E, 2, "Margining Lane Status (lane 9)", kMarginingLaneStatus, RO},
    {0x30, 2, "Margining Lane Control (lane 10)", kMarginingLaneControl},
    {0x32, 2, "Margining Lane Status (lane 10)", kMarginingLaneStatus, RO},
    {0x34, 2, "Margining Lane Control (lane 11)", kMarginingLaneControl},
    {0x36, 2, "Margining Lane Status (lane 11)", kMarginingLaneStatus, RO},
    {0x38, 2, "Margining Lane Control (lane 12)", kMarginingLaneControl},
    {0x3A, 2, "Margining Lane Status (lane 12)", kMarginingLaneStatus, RO},
    {0x3C, 2, "Margining Lane Control (lane 13)", kMarginingLaneControl},
    {0x3E, 2, "Margining Lane Status (lane 13)", kMarginingLaneStatus, RO},
    {0x40, 2, "Margining Lane Control (lane 14)", kMarginingLaneControl},
    {0x42, 2, "Margining Lane Status (lane 14)", kMarginingLaneStatus, RO},
    {0x44, 2, "Margining Lane Control (lane 15)", kMarginingLaneControl},
    {0x46, 2, "Margining Lane Status (lane 15)", kMarginingLaneStatus, RO},
    {0x48, 2, "Margining Lane Control (lane 16)", kMarginingLaneControl},
    {0x4A, 2, "Margining Lane Status (lane 16)", kMarginingLaneStatus, RO},
    {0x4C, 2, "Margining Lane Control (lane 17)", kMarginingLaneControl},
    {0x4E, 2, "Margining Lane Status (lane 17)", kMarginingLaneStatus, RO},
    {0x50, 2, "Margining Lane Control (lane 18)", kMarginingLaneControl},
    {0x52, 2, "Margining Lane Status (lane 18)", kMarginingLaneStatus, RO},
    {0x54, 2, "Margining Lane Control (lane 19)", kMarginingLaneControl},
    {0x56, 2, "Margining Lane Status (lane 19)", kMarginingLaneStatus, RO},
    {0x58, 2, "Margining Lane Control (lane 20)", kMarginingLaneControl},
    {0x5A, 2, "Margining Lane Status (lane 20)", kMarginingLaneStatus, RO},
    {0x5C, 2, "Margining Lane Control (lane 21)", kMarginingLaneControl},
    {0x5E, 2, "Margining Lane Status (lane 21)", kMarginingLaneStatus, RO},
    {0x60, 2, "Margining Lane Control (lane 22)", kMarginingLaneControl},
    {0x62, 2, "Margining Lane Status (lane 22)", kMarginingLaneStatus, RO},
    {0x64, 2, "Margining Lane Control (lane 23)", kMarginingLaneControl},
    {0x66, 2, "Margining Lane Status (lane 23)", kMarginingLaneStatus, RO},
    {0x68, 2, "Margining Lane Control (lane 24)", kMarginingLaneControl},
    {0x6A, 2, "Margining Lane Status (lane 24)", kMarginingLaneStatus, RO},
    {0x6C, 2, "Margining Lane Control (lane 25)", kMarginingLaneControl},
    {0x6E, 2, "Margining Lane Status (lane 25)", kMarginingLaneStatus, RO},
    {0x70, 2, "Margining Lane Control (lane 26)", kMarginingLaneControl},
    {0x72, 2, "Margining Lane Status (lane 26)", kMarginingLaneStatus, RO},
    {0x74, 2, "Margining Lane Control (lane 27)", kMarginingLaneControl},
    {0x76, 2, "Margining Lane Status (lane 27)", kMarginingLaneStatus, RO},
    {0x78, 2, "Margining Lane Control (lane 28)", kMarginingLaneControl},
    {0x7A, 2, "Margining Lane Status (lane 28)", kMarginingLaneStatus, RO},
    {0x7C, 2, "Margining Lane Control (lane 29)", kMarginingLaneControl},
    {0x7E, 2, "Margining Lane Status (lane 29)", kMarginingLaneStatus, RO},
    {0x80, 2, "Margining Lane Control (lane 30)", kMarginingLaneControl},
    {0x82, 2, "Margining Lane Status (lane 30)", kMarginingLaneStatus, RO},
    {0x84, 2, "Margining Lane Control (lane 31)", kMarginingLaneControl},
    {0x86, 2, "Margining Lane Status (lane 31)", kMarginingLaneStatus, RO},
};
constexpr const char* kLinkStreamControlNames[] = {
    "Link IDE Stream Control 0", "Link IDE Stream Control 1", "Link IDE Stream Control 2", "Link IDE Stream Control 3", "Link IDE Stream Control 4", "Link IDE Stream Control 5", "Link IDE Stream Control 6", "Link IDE Stream Control 7",
};
constexpr const char* kLinkStreamStatusNames[] = {
    "Link IDE Stream Status 0", "Link IDE Stream Status 1", "Link IDE Stream Status 2", "Link IDE Stream Status 3", "Link IDE Stream Status 4", "Link IDE Stream Status 5", "Link IDE Stream Status 6", "Link IDE Stream Status 7",
};
constexpr const char* kAddressAssociation1Names[] = {
    "IDE Address Association 1 (0)", "IDE Address Association 1 (1)", "IDE Address Association 1 (2)", "IDE Address Association 1 (3)", "IDE Address Association 1 (4)", "IDE Address Association 1 (5)", "IDE Address Association 1 (6)", "IDE Address Association 1 (7)", "IDE Address Association 1 (8)", "IDE Address Association 1 (9)", "IDE Address Association 1 (10)", "IDE Address Association 1 (11)", "IDE Address Association 1 (12)", "IDE Address Association 1 (13)", "IDE Address Association 1 (14)",
};
constexpr const char* kAddressAssociation2Names[] = {
    "IDE Address Association 2 (0)", "IDE Address Association 2 (1)", "IDE Address Association 2 (2)", "IDE Address Association 2 (3)", "IDE Address Association 2 (4)", "IDE Address Association 2 (5)", "IDE Address Association 2 (6)", "IDE Address Association 2 (7)", "IDE Address Association 2 (8)", "IDE Address Association 2 (9)", "IDE Address Association 2 (10)", "IDE Address Association 2 (11)", "IDE Address Association 2 (12)", "IDE Address Association 2 (13)", "IDE Address Association 2 (14)",
};
constexpr const char* kAddressAssociation3Names[] = {
    "IDE Address Association 3 (0)", "IDE Address Association 3 (1)", "IDE Address Association 3 (2)", "IDE Address Association 3 (3)", "IDE Address Association 3 (4)", "IDE Address Association 3 (5)", "IDE Address Association 3 (6)", "IDE Address Association 3 (7)", "IDE Address Association 3 (8)", "IDE Address Association 3 (9)", "IDE Address Association 3 (10)", "IDE Address Association 3 (11)", "IDE Address Association 3 (12)", "IDE Address Association 3 (13)", "IDE Address Association 3 (14)",
};

// One layout of IDE per count of link streams (0 to 8): the link blocks, then the first
// selective stream with room for all 15 of its address association blocks. The chooser cuts it
// at the stream's own count.
constexpr size_t kMostAssociations = 15;
template <int kLinks>
constexpr auto IdeLayout() {
  std::array<RegisterName, 3 + 2 * kLinks + 5 + 3 * kMostAssociations> table{};
  size_t n = 0;
  table[n++] = {0x00, 4, "Extended Capability Header", kExtendedHeader};
  table[n++] = {0x04, 4, "IDE Capability", kIdeCapability, RO};
  table[n++] = {0x08, 4, "IDE Control", kIdeControl};
  int at = 0x0C;
  for (int i = 0; i < kLinks; ++i, at += 8) {
    table[n++] = {at, 4, kLinkStreamControlNames[i], kLinkStreamControl};
    table[n++] = {at + 4, 4, kLinkStreamStatusNames[i], kStreamStatus};
  }
  table[n++] = {at, 4, "Selective IDE Stream Capability", kSelectiveCapability, RO};
  table[n++] = {at + 4, 4, "Selective IDE Stream Control", kSelectiveControl};
  table[n++] = {at + 8, 4, "Selective IDE Stream Status", kStreamStatus};
  table[n++] = {at + 12, 4, "IDE RID Association 1", kRidAssociation1};
  table[n++] = {at + 16, 4, "IDE RID Association 2", kRidAssociation2};
  at += 20;
  for (size_t i = 0; i < kMostAssociations; ++i, at += 12) {
    table[n++] = {at, 4, kAddressAssociation1Names[i], kAddressAssociation1};
    table[n++] = {at + 4, 4, kAddressAssociation2Names[i], {}, Access::kReadWrite};
    table[n++] = {at + 8, 4, kAddressAssociation3Names[i], {}, Access::kReadWrite};
  }
  return table;
}
constexpr auto kIde0 = IdeLayout<0>();
constexpr auto kIde1 = IdeLayout<1>();
constexpr auto kIde2 = IdeLayout<2>();
constexpr auto kIde3 = IdeLayout<3>();
constexpr auto kIde4 = IdeLayout<4>();
constexpr auto kIde5 = IdeLayout<5>();
constexpr auto kIde6 = IdeLayout<6>();
constexpr auto kIde7 = IdeLayout<7>();
constexpr auto kIde8 = IdeLayout<8>();
constexpr std::span<const RegisterName> kIdeLayouts[] = {kIde0, kIde1, kIde2, kIde3, kIde4,
                                                         kIde5, kIde6, kIde7, kIde8};

// clang-format on

// The port registers and one set per channel: Extended VC Count (bits 2-0) counts the channels
// beyond the first.
std::span<const RegisterName> Channels(std::span<const RegisterName> table,
                                       const ConfigReader& read, uint32_t at) {
  const auto capability = read(at + 0x04, 4);
  const size_t channels = capability ? (*capability & 7) + 1 : 0;
  return table.first(5 + 3 * channels);
}

std::span<const RegisterName> ChooseVirtualChannel(const ConfigReader& read, uint32_t at, int) {
  return Channels(kVirtualChannel, read, at);
}
std::span<const RegisterName> ChooseMultiFunctionVc(const ConfigReader& read, uint32_t at, int) {
  return Channels(kMultiFunctionVc, read, at);
}

std::span<const RegisterName> ChooseIde(const ConfigReader& read, uint32_t at, int) {
  const auto capability = read(at + 0x04, 4);
  if (!capability) return kIdeLayouts[0].first(3);
  const size_t links = (*capability & 1) != 0 ? ((*capability >> 13) & 7) + 1 : 0;
  size_t count = 3 + 2 * links;
  if ((*capability & 2) != 0) {
    const auto selective = read(at + 0x0C + 8 * static_cast<uint32_t>(links), 4);
    count += selective ? 5 + 3 * (*selective & 0xF) : 0;
  }
  return kIdeLayouts[links].first(count);
}

constexpr CapabilityName kLink[] = {
    {0x0002, "Virtual Channel", kVirtualChannel, 0, ChooseVirtualChannel},
    {0x0008, "Multi-Function Virtual Channel", kMultiFunctionVc, 0, ChooseMultiFunctionVc},
    {0x0009, "Virtual Channel (with MFVC)", kVirtualChannel, 0, ChooseVirtualChannel},
    {0x0025, "Data Link Feature", kDataLinkFeature, 12},
    {0x0026, "Physical Layer 16.0 GT/s", kPhysical16},
    {0x0027, "Lane Margining at the Receiver", kLaneMargining},
    {0x002A, "Physical Layer 32.0 GT/s", kPhysical32},
    {0x002F, "Device 3", kDevice3, 16},
    {0x0030, "Integrity and Data Encryption", kIde0, 0, ChooseIde},
    {0x0031, "Physical Layer 64.0 GT/s", kPhysical64},
    {0x0032, "Flit Logging", kFlitLogging, 0x3C},
    {0x0034, "Flit Error Injection", kFlitErrorInjection, 0x24},
    {0x0036, "MMIO Register Block Locator", kRegisterBlockLocator},
};

}  // namespace

std::span<const CapabilityName> LinkExtendedCapabilities() { return kLink; }

}  // namespace qbus::config_space
