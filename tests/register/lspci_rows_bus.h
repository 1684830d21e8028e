// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <utility>

#include "tests/register/lspci_rows.h"

namespace qbus::config_space {

namespace bus_rows {

// HyperTransport repeats its link registers: twice on a slave ("Link Control 0"), once on a host
// ("Link Control"). Each pair is lspci's key and the register's name.
inline constexpr std::pair<const char*, const char*> kLinkControls[] = {
    {"Link Control 0", "Link Control 0"},
    {"Link Control 1", "Link Control 1"},
    {"Link Control", "Link Control"}};
inline constexpr std::pair<const char*, const char*> kLinkConfigs[] = {
    {"Link Config 0", "Link Configuration 0"},
    {"Link Config 1", "Link Configuration 1"},
    {"Link Config", "Link Configuration"}};
inline constexpr std::pair<const char*, const char*> kFrequencyCapabilities[] = {
    {"Link Frequency Capability 0", "Link Frequency Capability 0"},
    {"Link Frequency Capability 1", "Link Frequency Capability 1"},
    {"Link Frequency Capability", "Link Frequency Capability"}};
// "Link Frequency 0" and "Link Error 0" share one register.
struct FrequencyKeys {
  const char* frequency;
  const char* error;
  const char* reg;
};
inline constexpr FrequencyKeys kFrequencies[] = {
    {"Link Frequency 0", "Link Error 0", "Link Frequency and Error 0"},
    {"Link Frequency 1", "Link Error 1", "Link Frequency and Error 1"},
    {"Link Frequency", "Link Error", "Link Frequency and Error"}};

// Enhanced Allocation's entries, as lspci numbers them.
struct EntryNames {
  const char* key;
  const char* header;
  const char* base;
  const char* max;
  const char* base_upper;
  const char* max_upper;
};
inline constexpr EntryNames kEntries[] = {
    {"Entry 0", "Entry 0 Header", "Entry 0 Base", "Entry 0 Max Offset", "Entry 0 Base (upper)",
     "Entry 0 Max Offset (upper)"},
    {"Entry 1", "Entry 1 Header", "Entry 1 Base", "Entry 1 Max Offset", "Entry 1 Base (upper)",
     "Entry 1 Max Offset (upper)"},
    {"Entry 2", "Entry 2 Header", "Entry 2 Base", "Entry 2 Max Offset", "Entry 2 Base (upper)",
     "Entry 2 Max Offset (upper)"},
    {"Entry 3", "Entry 3 Header", "Entry 3 Base", "Entry 3 Max Offset", "Entry 3 Base (upper)",
     "Entry 3 Max Offset (upper)"}};

}  // namespace bus_rows

// clang-format off
inline const std::vector<FlagRow> kBusFlags = [] {
  std::vector<FlagRow> rows = {
      {"PCI-X", "Command", "DPERE", "Command", "Data Parity Error Recovery Enable"},
      {"PCI-X", "Command", "ERO", "Command", "Enable Relaxed Ordering"},
      {"PCI-X", "Status", "64bit", "Status", "64-bit Device"},
      {"PCI-X", "Status", "133MHz", "Status", "133 MHz Capable"},
      {"PCI-X", "Status", "SCD", "Status", "Split Completion Discarded"},
      {"PCI-X", "Status", "USC", "Status", "Unexpected Split Completion"},
      {"PCI-X", "Status", "SCO", "Status", "Split Completion Overrun"},
      {"PCI-X", "Status", "SRD", "Status", "Split Request Delayed"},
      {"PCI-X", "Status", "RSCEM", "Status", "Received Split Completion Error Message"},
      {"PCI-X", "Status", "266MHz", "Status", "PCI-X 266 Capable"},
      {"PCI-X", "Status", "533MHz", "Status", "PCI-X 533 Capable"},
      {"PCI-X", "Secondary Status", "64bit", "Secondary Status", "64-bit Device"},
      {"PCI-X", "Secondary Status", "133MHz", "Secondary Status", "133 MHz Capable"},
      {"PCI-X", "Secondary Status", "SCD", "Secondary Status", "Split Completion Discarded"},
      {"PCI-X", "Secondary Status", "USC", "Secondary Status", "Unexpected Split Completion"},
      {"PCI-X", "Secondary Status", "SCO", "Secondary Status", "Split Completion Overrun"},
      {"PCI-X", "Secondary Status", "SRD", "Secondary Status", "Split Request Delayed"},

      {"HyperTransport", "Command", "MastHost", "Command", "Master Host"},
      {"HyperTransport", "Command", "DefDir", "Command", "Default Direction"},
      {"HyperTransport", "Command", "DUL", "Command", "Drop on Uninitialized Link"},
      {"HyperTransport", "Command", "WarmRst", "Command", "Warm Reset"},
      {"HyperTransport", "Command", "DblEnd", "Command", "Double Ended"},
      {"HyperTransport", "Command", "ChainSide", "Command", "Chain Side"},
      {"HyperTransport", "Command", "HostHide", "Command", "Host Hide"},
      {"HyperTransport", "Command", "Slave", "Command", "Act as Slave"},
      {"HyperTransport", "Command", "<EOCErr", "Command", "Host Inbound End of Chain Error"},
      {"HyperTransport", "", "Enable", "Command", "Mapping Enable"},
      {"HyperTransport", "", "Fixed", "Command", "Fixed Mapping"},
      {"HyperTransport", "Feature Capability", "IsocFC", "Feature Capability", "Isochronous Flow Control Mode"},
      {"HyperTransport", "Feature Capability", "LDTSTOP", "Feature Capability", "LDTSTOP#"},
      {"HyperTransport", "Feature Capability", "CRCTM", "Feature Capability", "CRC Test Mode"},
      {"HyperTransport", "Feature Capability", "ECTLT", "Feature Capability", "Extended CTL Time Required"},
      {"HyperTransport", "Feature Capability", "64bA", "Feature Capability", "64-bit Addressing"},
      {"HyperTransport", "Feature Capability", "UIDRD", "Feature Capability", "UnitID Reorder Disable"},
      {"HyperTransport", "Feature Capability", "ExtRS", "Feature Capability", "Extended Register Set"},
      {"HyperTransport", "Feature Capability", "UCnfE", "Feature Capability", "Upstream Configuration Enable"},
      {"HyperTransport", "Error Handling", "PFlE", "Error Handling", "Protocol Error Flood Enable"},
      {"HyperTransport", "Error Handling", "OFlE", "Error Handling", "Overflow Error Flood Enable"},
      {"HyperTransport", "Error Handling", "PFE", "Error Handling", "Protocol Error Fatal Enable"},
      {"HyperTransport", "Error Handling", "OFE", "Error Handling", "Overflow Error Fatal Enable"},
      {"HyperTransport", "Error Handling", "EOCFE", "Error Handling", "End of Chain Error Fatal Enable"},
      {"HyperTransport", "Error Handling", "RFE", "Error Handling", "Response Error Fatal Enable"},
      {"HyperTransport", "Error Handling", "CRCFE", "Error Handling", "CRC Error Fatal Enable"},
      {"HyperTransport", "Error Handling", "SERRFE", "Error Handling", "System Error Fatal Enable"},
      {"HyperTransport", "Error Handling", "CF", "Error Handling", "Chain Fail"},
      {"HyperTransport", "Error Handling", "RE", "Error Handling", "Response Error"},
      {"HyperTransport", "Error Handling", "PNFE", "Error Handling", "Protocol Error Nonfatal Enable"},
      {"HyperTransport", "Error Handling", "ONFE", "Error Handling", "Overflow Error Nonfatal Enable"},
      {"HyperTransport", "Error Handling", "EOCNFE", "Error Handling", "End of Chain Error Nonfatal Enable"},
      {"HyperTransport", "Error Handling", "RNFE", "Error Handling", "Response Error Nonfatal Enable"},
      {"HyperTransport", "Error Handling", "CRCNFE", "Error Handling", "CRC Error Nonfatal Enable"},
      {"HyperTransport", "Error Handling", "SERRNFE", "Error Handling", "System Error Nonfatal Enable"},

      {"AGP", "Status", "Iso", "Status", "Isochronous Supported"},
      {"AGP", "Status", "SBA", "Status", "Sideband Addressing Supported"},
      {"AGP", "Status", "ITACoh", "Status", "Coherent Isochronous Accesses"},
      {"AGP", "Status", "GART64", "Status", "64-bit GART Entries Supported"},
      {"AGP", "Status", "HTrans", "Status", "Host Translation Not Supported"},
      {"AGP", "Status", "64bit", "Status", "Over 4 GB Addressing Supported"},
      {"AGP", "Status", "FW", "Status", "Fast Write Supported"},
      {"AGP", "Status", "AGP3", "Status", "AGP 3.0 Mode"},
      {"AGP", "Command", "SBA", "Command", "Sideband Addressing Enable"},
      {"AGP", "Command", "AGP", "Command", "AGP Enable"},
      {"AGP", "Command", "GART64", "Command", "64-bit GART Entries Enable"},
      {"AGP", "Command", "64bit", "Command", "Over 4 GB Addressing Enable"},
      {"AGP", "Command", "FW", "Command", "Fast Write Enable"},

      {"Advanced Features", "AFCap", "TP", "AF Capabilities", "Transactions Pending Capable"},
      {"Advanced Features", "AFCap", "FLR", "AF Capabilities", "Function Level Reset Capable"},
      {"Advanced Features", "AFCtrl", "FLR", "AF Control", "Initiate Function Level Reset"},
      {"Advanced Features", "AFStatus", "TP", "AF Status", "Transactions Pending"},
  };
  for (const auto& [key, reg] : bus_rows::kLinkControls) {
    for (const auto& [flag, field] : {std::pair{"CFlE", "CRC Flood Enable"},
                                      {"CST", "CRC Start Test"},
                                      {"CFE", "CRC Force Error"},
                                      {"<LkFail", "Link Failure"},
                                      {"Init", "Initialization Complete"},
                                      {"EOC", "End of Chain"},
                                      {"TXO", "Transmitter Off"},
                                      {"IsocEn", "Isochronous Flow Control Enable"},
                                      {"LSEn", "LDTSTOP# Tristate Enable"},
                                      {"ExtCTL", "Extended CTL Time"},
                                      {"64b", "64-bit Addressing Enable"}}) {
      rows.push_back({"HyperTransport", key, flag, reg, field});
    }
  }
  for (const auto& [key, reg] : bus_rows::kLinkConfigs) {
    for (const auto& [flag, field] : {std::pair{"DwFcIn", "Doubleword Flow Control In"},
                                      {"DwFcOut", "Doubleword Flow Control Out"},
                                      {"DwFcInEn", "Doubleword Flow Control In Enable"},
                                      {"DwFcOutEn", "Doubleword Flow Control Out Enable"}}) {
      rows.push_back({"HyperTransport", key, flag, reg, field});
    }
  }
  for (const auto& [key, reg] : bus_rows::kFrequencyCapabilities) {
    for (const auto& [flag, field] : {std::pair{"200MHz", "200 MHz Capable"},
                                      {"300MHz", "300 MHz Capable"},
                                      {"400MHz", "400 MHz Capable"},
                                      {"500MHz", "500 MHz Capable"},
                                      {"600MHz", "600 MHz Capable"},
                                      {"800MHz", "800 MHz Capable"},
                                      {"1.0GHz", "1.0 GHz Capable"},
                                      {"1.2GHz", "1.2 GHz Capable"},
                                      {"1.4GHz", "1.4 GHz Capable"},
                                      {"1.6GHz", "1.6 GHz Capable"},
                                      {"Vend", "Vendor-Specific Frequency Capable"}}) {
      rows.push_back({"HyperTransport", key, flag, reg, field});
    }
  }
  for (const auto& keys : bus_rows::kFrequencies) {
    for (const auto& [flag, field] : {std::pair{"<Prot", "Protocol Error"},
                                      {"<Ovfl", "Overflow Error"},
                                      {"<EOC", "End of Chain Error"},
                                      {"CTLTm", "CTL Timeout"}}) {
      rows.push_back({"HyperTransport", keys.error, flag, keys.reg, field});
    }
  }
  for (const auto& entry : bus_rows::kEntries) {
    rows.push_back({"Enhanced Allocation", entry.key, "Enable", entry.header, "Enable"});
    rows.push_back({"Enhanced Allocation", entry.key, "Writable", entry.header, "Writable"});
  }
  return rows;
}();

inline const std::vector<ValueRow> kBusValues = [] {
  std::vector<ValueRow> rows = {
      {"PCI-X", "Command", "RBC=(\\d+)", "Command", "Maximum Memory Read Byte Count", Compare::kLeadingNumber},
      {"PCI-X", "Command", "OST=(\\d+)", "Command", "Maximum Outstanding Split Transactions", Compare::kLeadingNumber},
      {"PCI-X", "Status", "Dev=([0-9a-f]+):", "Status", "Bus Number", Compare::kHex},
      {"PCI-X", "Status", "Dev=[0-9a-f]+:([0-9a-f]+)", "Status", "Device Number", Compare::kHex},
      {"PCI-X", "Status", "Dev=[0-9a-f]+:[0-9a-f]+\\.([0-7])", "Status", "Function Number", Compare::kHex},
      {"PCI-X", "Status", "DC=(\\w+)", "Status", "Device Complexity", Compare::kMeaning},
      {"PCI-X", "Status", "DMMRBC=(\\d+)", "Status", "Designed Maximum Memory Read Byte Count", Compare::kLeadingNumber},
      {"PCI-X", "Status", "DMOST=(\\d+)", "Status", "Designed Maximum Outstanding Split Transactions", Compare::kLeadingNumber},
      {"PCI-X", "Status", "DMCRS=(\\d+)", "Status", "Designed Maximum Cumulative Read Size", Compare::kLeadingNumber},
      {"PCI-X", "Secondary Status", "Freq=(\\d+)MHz", "Secondary Status", "Secondary Bus Mode and Frequency", Compare::kLeadingNumber},
      {"PCI-X", "Upstream", "Capacity=(\\d+)", "Upstream Split Transaction Control", "Split Transaction Capacity", Compare::kDecimal},
      {"PCI-X", "Upstream", "CommitmentLimit=(\\d+)", "Upstream Split Transaction Control", "Split Transaction Commitment Limit", Compare::kDecimal},
      {"PCI-X", "Downstream", "Capacity=(\\d+)", "Downstream Split Transaction Control", "Split Transaction Capacity", Compare::kDecimal},
      {"PCI-X", "Downstream", "CommitmentLimit=(\\d+)", "Downstream Split Transaction Control", "Split Transaction Commitment Limit", Compare::kDecimal},

      {"HyperTransport", "Command", "BaseUnitID=(\\d+)", "Command", "Base UnitID", Compare::kDecimal},
      {"HyperTransport", "Command", "UnitCnt=(\\d+)", "Command", "Unit Count", Compare::kDecimal},
      {"HyperTransport", "Command", "DevNum=(\\d+)", "Command", "Device Number", Compare::kDecimal},
      {"HyperTransport", "Revision ID", "^\\s*(\\d+)\\.", "Revision ID", "Major Revision", Compare::kDecimal},
      {"HyperTransport", "Revision ID", "\\.(\\d+)", "Revision ID", "Minor Revision", Compare::kDecimal},
      {"HyperTransport", "", "Revision ID: (\\d+)\\.", "Command", "Major Revision", Compare::kDecimal},
      {"HyperTransport", "", "Revision ID: \\d+\\.(\\d+)", "Command", "Minor Revision", Compare::kDecimal},
      {"HyperTransport", "Mapping Address Base", "([0-9a-f]+)[0-9a-f]{8}", "Mapping Address Upper", "", Compare::kHex},
      {"HyperTransport", "Mapping Address Base", "([0-9a-f]{8})\\s*$", "Mapping Address Lower", "Mapping Address (bits 31-20)", Compare::kHexMeaning},
      {"HyperTransport", "Prefetchable memory behind bridge Upper", "([0-9a-f]+)-", "Memory Base Upper 8 Bits", "", Compare::kHex},
      {"HyperTransport", "Prefetchable memory behind bridge Upper", "-([0-9a-f]+)", "Memory Limit Upper 8 Bits", "", Compare::kHex},
      {"HyperTransport", "Bus Number", "([0-9a-f]+)", "Bus Number", "", Compare::kHex},

      {"AGP", "", "version (\\d+)\\.", "Version", "Major Version", Compare::kDecimal},
      {"AGP", "", "version \\d+\\.(\\d+)", "Version", "Minor Version", Compare::kDecimal},
      {"AGP", "Status", "RQ=(\\d+)", "Status", "Maximum Requests", Compare::kMeaning},
      {"AGP", "Status", "ArqSz=(\\d+)", "Status", "Asynchronous Request Size", Compare::kDecimal},
      {"AGP", "Status", "Cal=(\\d+)", "Status", "Calibration Cycle", Compare::kDecimal},
      {"AGP", "Status", "Rate=(\\S+)", "Status", "Rates Supported", Compare::kMeaning},
      {"AGP", "Command", "RQ=(\\d+)", "Command", "Request Queue Depth", Compare::kMeaning},
      {"AGP", "Command", "ArqSz=(\\d+)", "Command", "Asynchronous Request Size", Compare::kDecimal},
      {"AGP", "Command", "Cal=(\\d+)", "Command", "Calibration Cycle", Compare::kDecimal},
      {"AGP", "Command", "Rate=(\\S+)", "Command", "Data Rate", Compare::kMeaning},

      {"Debug Port", "", "BAR=(\\d+)", "Debug Port", "BAR Number", Compare::kDecimal},
      {"Debug Port", "", "offset=([0-9a-f]+)", "Debug Port", "Offset", Compare::kHex},
      {"SATA Data/Index Configuration", "", "v(\\d+)\\.", "SATA Capability Register 0", "Major Revision", Compare::kDecimal},
      {"SATA Data/Index Configuration", "", "v\\d+\\.(\\d+)", "SATA Capability Register 0", "Minor Revision", Compare::kDecimal},
      {"SATA Data/Index Configuration", "", "(BAR\\d)", "SATA Capability Register 1", "BAR Location", Compare::kMeaning},
      {"SATA Data/Index Configuration", "", "Offset=([0-9a-f]+)", "SATA Capability Register 1", "BAR Offset (dwords)", Compare::kHex},
      {"Bridge Subsystem Vendor ID", "", "([0-9a-f]{4}):[0-9a-f]{4}", "Subsystem Vendor ID", "", Compare::kHex},
      {"Bridge Subsystem Vendor ID", "", "Device (?:[0-9a-f]{4}:)?([0-9a-f]{4})", "Subsystem ID", "", Compare::kHex},
      {"Vendor-Specific", "", "Len=([0-9a-f]+)", "Capability Length", "", Compare::kHex},

      {"Enhanced Allocation", "", "NumEntries=(\\d+)", "Number of Entries", "Num Entries", Compare::kDecimal},
      {"Enhanced Allocation", "", "secondary=(\\d+)", "Fixed Bus Numbers", "Fixed Secondary Bus Number", Compare::kDecimal},
      {"Enhanced Allocation", "", "subordinate=(\\d+)", "Fixed Bus Numbers", "Fixed Subordinate Bus Number", Compare::kDecimal},
  };
  for (const auto& keys : bus_rows::kFrequencies) {
    rows.push_back({"HyperTransport", keys.frequency, "(\\d[0-9.]*[MG]Hz)", keys.reg, "Link Frequency", Compare::kMeaning});
  }
  for (const auto& [key, reg] : bus_rows::kLinkControls) {
    rows.push_back({"HyperTransport", key, "<CRCErr=([0-9a-f]+)", reg, "CRC Error", Compare::kHex});
  }
  for (const auto& [key, reg] : bus_rows::kLinkConfigs) {
    rows.push_back({"HyperTransport", key, "MLWI=(\\d+)bit", reg, "Max Link Width In", Compare::kLeadingNumber});
    rows.push_back({"HyperTransport", key, "MLWO=(\\d+)bit", reg, "Max Link Width Out", Compare::kLeadingNumber});
    rows.push_back({"HyperTransport", key, " LWI=(\\d+)bit", reg, "Link Width In", Compare::kLeadingNumber});
    rows.push_back({"HyperTransport", key, " LWO=(\\d+)bit", reg, "Link Width Out", Compare::kLeadingNumber});
  }
  // A base or maximum offset lspci prints in more than 8 digits has its upper half first.
  for (const auto& entry : bus_rows::kEntries) {
    rows.push_back({"Enhanced Allocation", entry.key, "EntrySize=(\\d+)", entry.header, "Entry Size (dwords)", Compare::kDecimal});
    rows.push_back({"Enhanced Allocation", entry.key, "Indicator: (.*?)\\s+PrimaryProperties:", entry.header, "BAR Equivalent Indicator", Compare::kMeaning});
    rows.push_back({"Enhanced Allocation", entry.key, "PrimaryProperties: (.*?)\\s+SecondaryProperties:", entry.header, "Primary Properties", Compare::kMeaning});
    rows.push_back({"Enhanced Allocation", entry.key, "SecondaryProperties: (.*?)\\s+Base:", entry.header, "Secondary Properties", Compare::kMeaning});
    rows.push_back({"Enhanced Allocation", entry.key, " Base: [0-9a-f]*?([0-9a-f]{8})\\s", entry.base, "Base (bits 31-2)", Compare::kHexMeaning});
    rows.push_back({"Enhanced Allocation", entry.key, " Base: ([0-9a-f]+)[0-9a-f]{8}\\s", entry.base_upper, "", Compare::kHex});
    rows.push_back({"Enhanced Allocation", entry.key, "MaxOffset: ([0-9a-f]+)[0-9a-f]{8}\\s*$", entry.max_upper, "", Compare::kHex});
    rows.push_back({"Enhanced Allocation", entry.key, "MaxOffset: [0-9a-f]*?([0-9a-f]{8})\\s*$", entry.max, "Max Offset (bits 31-2)", Compare::kHexMeaning});
  }
  return rows;
}();
// clang-format on

}  // namespace qbus::config_space
