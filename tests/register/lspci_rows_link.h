// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tests/register/lspci_rows.h"

namespace qbus::config_space {

// What lspci prints of the link group: the virtual channel capabilities, for the port and for
// each channel ("VC0:" with its own Caps, Arb, Ctrl and Status). The capability with MFVC prints
// as "Virtual Channel" too, under its own block.

// lspci names the arbitration schemes in short.
inline constexpr const char* kArbitrations =
    "Fixed=hardware fixed|WRR32=WRR 32 phases|WRR64=WRR 64 phases|WRR128=WRR 128 phases|"
    "TWRR128=time-based WRR 128 phases|WRR256=WRR 256 phases";

// clang-format off
inline const std::vector<FlagRow> kLinkFlags = {
    {"Virtual Channel", "Arb", "Fixed", "Port VC Capability 2", "Hardware Fixed Arbitration"},
    {"Virtual Channel", "Arb", "WRR32", "Port VC Capability 2", "WRR Arbitration with 32 Phases"},
    {"Virtual Channel", "Arb", "WRR64", "Port VC Capability 2", "WRR Arbitration with 64 Phases"},
    {"Virtual Channel", "Arb", "WRR128", "Port VC Capability 2", "WRR Arbitration with 128 Phases"},
    {"Virtual Channel", "Status", "InProgress", "Port VC Status", "VC Arbitration Table Status"},
    {"Virtual Channel", "VC0 Caps", "RejSnoopTrans", "VC Resource Capability 0", "Reject Snoop Transactions"},
    {"Virtual Channel", "VC0 Arb", "Fixed", "VC Resource Capability 0", "Hardware Fixed Port Arbitration"},
    {"Virtual Channel", "VC0 Arb", "WRR32", "VC Resource Capability 0", "WRR Port Arbitration with 32 Phases"},
    {"Virtual Channel", "VC0 Arb", "WRR64", "VC Resource Capability 0", "WRR Port Arbitration with 64 Phases"},
    {"Virtual Channel", "VC0 Arb", "WRR128", "VC Resource Capability 0", "WRR Port Arbitration with 128 Phases"},
    {"Virtual Channel", "VC0 Arb", "TWRR128", "VC Resource Capability 0", "Time-Based WRR Port Arbitration with 128 Phases"},
    {"Virtual Channel", "VC0 Arb", "WRR256", "VC Resource Capability 0", "WRR Port Arbitration with 256 Phases"},
    {"Virtual Channel", "VC0 Ctrl", "Enable", "VC Resource Control 0", "VC Enable"},
    {"Virtual Channel", "VC0 Status", "NegoPending", "VC Resource Status 0", "VC Negotiation Pending"},
    {"Virtual Channel", "VC0 Status", "InProgress", "VC Resource Status 0", "Port Arbitration Table Status"},
    {"Virtual Channel", "VC1 Caps", "RejSnoopTrans", "VC Resource Capability 1", "Reject Snoop Transactions"},
    {"Virtual Channel", "VC1 Arb", "Fixed", "VC Resource Capability 1", "Hardware Fixed Port Arbitration"},
    {"Virtual Channel", "VC1 Arb", "WRR32", "VC Resource Capability 1", "WRR Port Arbitration with 32 Phases"},
    {"Virtual Channel", "VC1 Arb", "WRR64", "VC Resource Capability 1", "WRR Port Arbitration with 64 Phases"},
    {"Virtual Channel", "VC1 Arb", "WRR128", "VC Resource Capability 1", "WRR Port Arbitration with 128 Phases"},
    {"Virtual Channel", "VC1 Arb", "TWRR128", "VC Resource Capability 1", "Time-Based WRR Port Arbitration with 128 Phases"},
    {"Virtual Channel", "VC1 Arb", "WRR256", "VC Resource Capability 1", "WRR Port Arbitration with 256 Phases"},
    {"Virtual Channel", "VC1 Ctrl", "Enable", "VC Resource Control 1", "VC Enable"},
    {"Virtual Channel", "VC1 Status", "NegoPending", "VC Resource Status 1", "VC Negotiation Pending"},
    {"Virtual Channel", "VC1 Status", "InProgress", "VC Resource Status 1", "Port Arbitration Table Status"},
    {"Virtual Channel", "VC2 Caps", "RejSnoopTrans", "VC Resource Capability 2", "Reject Snoop Transactions"},
    {"Virtual Channel", "VC2 Arb", "Fixed", "VC Resource Capability 2", "Hardware Fixed Port Arbitration"},
    {"Virtual Channel", "VC2 Arb", "WRR32", "VC Resource Capability 2", "WRR Port Arbitration with 32 Phases"},
    {"Virtual Channel", "VC2 Arb", "WRR64", "VC Resource Capability 2", "WRR Port Arbitration with 64 Phases"},
    {"Virtual Channel", "VC2 Arb", "WRR128", "VC Resource Capability 2", "WRR Port Arbitration with 128 Phases"},
    {"Virtual Channel", "VC2 Arb", "TWRR128", "VC Resource Capability 2", "Time-Based WRR Port Arbitration with 128 Phases"},
    {"Virtual Channel", "VC2 Arb", "WRR256", "VC Resource Capability 2", "WRR Port Arbitration with 256 Phases"},
    {"Virtual Channel", "VC2 Ctrl", "Enable", "VC Resource Control 2", "VC Enable"},
    {"Virtual Channel", "VC2 Status", "NegoPending", "VC Resource Status 2", "VC Negotiation Pending"},
    {"Virtual Channel", "VC2 Status", "InProgress", "VC Resource Status 2", "Port Arbitration Table Status"},
    {"Virtual Channel (with MFVC)", "Arb", "Fixed", "Port VC Capability 2", "Hardware Fixed Arbitration"},
    {"Virtual Channel (with MFVC)", "Arb", "WRR32", "Port VC Capability 2", "WRR Arbitration with 32 Phases"},
    {"Virtual Channel (with MFVC)", "Arb", "WRR64", "Port VC Capability 2", "WRR Arbitration with 64 Phases"},
    {"Virtual Channel (with MFVC)", "Arb", "WRR128", "Port VC Capability 2", "WRR Arbitration with 128 Phases"},
    {"Virtual Channel (with MFVC)", "Status", "InProgress", "Port VC Status", "VC Arbitration Table Status"},
    {"Virtual Channel (with MFVC)", "VC0 Caps", "RejSnoopTrans", "VC Resource Capability 0", "Reject Snoop Transactions"},
    {"Virtual Channel (with MFVC)", "VC0 Arb", "Fixed", "VC Resource Capability 0", "Hardware Fixed Port Arbitration"},
    {"Virtual Channel (with MFVC)", "VC0 Arb", "WRR32", "VC Resource Capability 0", "WRR Port Arbitration with 32 Phases"},
    {"Virtual Channel (with MFVC)", "VC0 Arb", "WRR64", "VC Resource Capability 0", "WRR Port Arbitration with 64 Phases"},
    {"Virtual Channel (with MFVC)", "VC0 Arb", "WRR128", "VC Resource Capability 0", "WRR Port Arbitration with 128 Phases"},
    {"Virtual Channel (with MFVC)", "VC0 Arb", "TWRR128", "VC Resource Capability 0", "Time-Based WRR Port Arbitration with 128 Phases"},
    {"Virtual Channel (with MFVC)", "VC0 Arb", "WRR256", "VC Resource Capability 0", "WRR Port Arbitration with 256 Phases"},
    {"Virtual Channel (with MFVC)", "VC0 Ctrl", "Enable", "VC Resource Control 0", "VC Enable"},
    {"Virtual Channel (with MFVC)", "VC0 Status", "NegoPending", "VC Resource Status 0", "VC Negotiation Pending"},
    {"Virtual Channel (with MFVC)", "VC0 Status", "InProgress", "VC Resource Status 0", "Port Arbitration Table Status"},
};
inline const std::vector<ValueRow> kLinkValues = {
    // The titles of the capabilities lspci names only, or only by ID.
    {"Physical Layer 16.0 GT/s", "", "(Physical Layer 16\\.0 GT/s)", "Extended Capability Header", "Extended Capability ID", Compare::kMeaning},
    {"Physical Layer 32.0 GT/s", "", "Extended Capability ID (0x\\w+)", "Extended Capability Header", "Extended Capability ID", Compare::kHex},
    {"Physical Layer 64.0 GT/s", "", "Extended Capability ID (0x\\w+)", "Extended Capability Header", "Extended Capability ID", Compare::kHex},
    {"Device 3", "", "Extended Capability ID (0x\\w+)", "Extended Capability Header", "Extended Capability ID", Compare::kHex},
    {"Integrity and Data Encryption", "", "Extended Capability ID (0x\\w+)", "Extended Capability Header", "Extended Capability ID", Compare::kHex},
    {"Flit Logging", "", "Extended Capability ID (0x\\w+)", "Extended Capability Header", "Extended Capability ID", Compare::kHex},
    {"Flit Error Injection", "", "Extended Capability ID (0x\\w+)", "Extended Capability Header", "Extended Capability ID", Compare::kHex},
    {"MMIO Register Block Locator", "", "Extended Capability ID (0x\\w+)", "Extended Capability Header", "Extended Capability ID", Compare::kHex},
    {"Virtual Channel", "Caps", "LPEVC=(\\d+)", "Port VC Capability 1", "Low Priority Extended VC Count", Compare::kDecimal},
    {"Virtual Channel", "Caps", "RefClk=(\\w+)", "Port VC Capability 1", "Reference Clock", Compare::kMeaning},
    {"Virtual Channel", "Caps", "PATEntryBits=(\\d+)", "Port VC Capability 1", "Port Arbitration Table Entry Size", Compare::kLeadingNumber},
    {"Virtual Channel", "Ctrl", "ArbSelect=(\\w+)", "Port VC Control", "VC Arbitration Select", Compare::kMeaning, kArbitrations},
    {"Virtual Channel", "VC0", "PATOffset=(\\w+)", "VC Resource Capability 0", "Port Arbitration Table Offset (16 bytes)", Compare::kHex},
    {"Virtual Channel", "VC0", "MaxTimeSlots=(\\d+)", "VC Resource Capability 0", "Maximum Time Slots", Compare::kMeaning},
    {"Virtual Channel", "VC0", "ID=(\\d+)", "VC Resource Control 0", "VC ID", Compare::kDecimal},
    {"Virtual Channel", "VC0", "ArbSelect=(\\w+)", "VC Resource Control 0", "Port Arbitration Select", Compare::kMeaning, kArbitrations},
    {"Virtual Channel", "VC0", "TC/VC=(\\w+)", "VC Resource Control 0", "TC/VC Map", Compare::kHex},
    {"Virtual Channel", "VC1", "PATOffset=(\\w+)", "VC Resource Capability 1", "Port Arbitration Table Offset (16 bytes)", Compare::kHex},
    {"Virtual Channel", "VC1", "MaxTimeSlots=(\\d+)", "VC Resource Capability 1", "Maximum Time Slots", Compare::kMeaning},
    {"Virtual Channel", "VC1", "ID=(\\d+)", "VC Resource Control 1", "VC ID", Compare::kDecimal},
    {"Virtual Channel", "VC1", "ArbSelect=(\\w+)", "VC Resource Control 1", "Port Arbitration Select", Compare::kMeaning, kArbitrations},
    {"Virtual Channel", "VC1", "TC/VC=(\\w+)", "VC Resource Control 1", "TC/VC Map", Compare::kHex},
    {"Virtual Channel", "VC2", "PATOffset=(\\w+)", "VC Resource Capability 2", "Port Arbitration Table Offset (16 bytes)", Compare::kHex},
    {"Virtual Channel", "VC2", "MaxTimeSlots=(\\d+)", "VC Resource Capability 2", "Maximum Time Slots", Compare::kMeaning},
    {"Virtual Channel", "VC2", "ID=(\\d+)", "VC Resource Control 2", "VC ID", Compare::kDecimal},
    {"Virtual Channel", "VC2", "ArbSelect=(\\w+)", "VC Resource Control 2", "Port Arbitration Select", Compare::kMeaning, kArbitrations},
    {"Virtual Channel", "VC2", "TC/VC=(\\w+)", "VC Resource Control 2", "TC/VC Map", Compare::kHex},
    {"Virtual Channel (with MFVC)", "Caps", "LPEVC=(\\d+)", "Port VC Capability 1", "Low Priority Extended VC Count", Compare::kDecimal},
    {"Virtual Channel (with MFVC)", "Caps", "RefClk=(\\w+)", "Port VC Capability 1", "Reference Clock", Compare::kMeaning},
    {"Virtual Channel (with MFVC)", "Caps", "PATEntryBits=(\\d+)", "Port VC Capability 1", "Port Arbitration Table Entry Size", Compare::kLeadingNumber},
    {"Virtual Channel (with MFVC)", "Ctrl", "ArbSelect=(\\w+)", "Port VC Control", "VC Arbitration Select", Compare::kMeaning, kArbitrations},
    {"Virtual Channel (with MFVC)", "VC0", "PATOffset=(\\w+)", "VC Resource Capability 0", "Port Arbitration Table Offset (16 bytes)", Compare::kHex},
    {"Virtual Channel (with MFVC)", "VC0", "MaxTimeSlots=(\\d+)", "VC Resource Capability 0", "Maximum Time Slots", Compare::kMeaning},
    {"Virtual Channel (with MFVC)", "VC0", "ID=(\\d+)", "VC Resource Control 0", "VC ID", Compare::kDecimal},
    {"Virtual Channel (with MFVC)", "VC0", "ArbSelect=(\\w+)", "VC Resource Control 0", "Port Arbitration Select", Compare::kMeaning, kArbitrations},
    {"Virtual Channel (with MFVC)", "VC0", "TC/VC=(\\w+)", "VC Resource Control 0", "TC/VC Map", Compare::kHex},
};
// clang-format on

}  // namespace qbus::config_space
