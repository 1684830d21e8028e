// SPDX-License-Identifier: GPL-3.0-or-later
// What lspci prints of SR-IOV, ATS, Page Request, PASID, ARI, Multicast, TPH, the root complex's
// link declaration and event collector association, and the vendor-specific capabilities.
#pragma once

#include "tests/register/lspci_rows.h"

namespace qbus::config_space {

// clang-format off
inline const std::vector<FlagRow> kSharingFlags = {
    {"Single Root I/O Virtualization", "IOVCap", "Migration", "SR-IOV Capabilities", "VF Migration Capable"},
    {"Single Root I/O Virtualization", "IOVCap", "10BitTagReq", "SR-IOV Capabilities", "VF 10-Bit Tag Requester Supported"},
    {"Single Root I/O Virtualization", "IOVCtl", "Enable", "SR-IOV Control", "VF Enable"},
    {"Single Root I/O Virtualization", "IOVCtl", "Migration", "SR-IOV Control", "VF Migration Enable"},
    {"Single Root I/O Virtualization", "IOVCtl", "Interrupt", "SR-IOV Control", "VF Migration Interrupt Enable"},
    {"Single Root I/O Virtualization", "IOVCtl", "MSE", "SR-IOV Control", "VF MSE"},
    {"Single Root I/O Virtualization", "IOVCtl", "ARIHierarchy", "SR-IOV Control", "ARI Capable Hierarchy"},
    {"Single Root I/O Virtualization", "IOVCtl", "10BitTagReq", "SR-IOV Control", "VF 10-Bit Tag Requester Enable"},
    {"Single Root I/O Virtualization", "IOVSta", "Migration", "SR-IOV Status", "VF Migration Status"},

    {"Address Translation Services", "ATSCtl", "Enable", "ATS Control", "ATS Enable"},

    {"Page Request", "PRICtl", "Enable", "Page Request Control", "Enable"},
    {"Page Request", "PRICtl", "Reset", "Page Request Control", "Reset"},
    {"Page Request", "PRISta", "RF", "Page Request Status", "Response Failure"},
    {"Page Request", "PRISta", "UPRGI", "Page Request Status", "Unexpected Page Request Group Index"},
    {"Page Request", "PRISta", "Stopped", "Page Request Status", "Stopped"},

    {"Process Address Space ID", "PASIDCap", "Exec", "PASID Capability", "Execute Permission Supported"},
    {"Process Address Space ID", "PASIDCap", "Priv", "PASID Capability", "Privileged Mode Supported"},
    {"Process Address Space ID", "PASIDCtl", "Enable", "PASID Control", "PASID Enable"},
    {"Process Address Space ID", "PASIDCtl", "Exec", "PASID Control", "Execute Permission Enable"},
    {"Process Address Space ID", "PASIDCtl", "Priv", "PASID Control", "Privileged Mode Enable"},

    {"Alternative Routing-ID Interpretation", "ARICap", "MFVC", "ARI Capability", "MFVC Function Groups Capability"},
    {"Alternative Routing-ID Interpretation", "ARICap", "ACS", "ARI Capability", "ACS Function Groups Capability"},
    {"Alternative Routing-ID Interpretation", "ARICtl", "MFVC", "ARI Control", "MFVC Function Groups Enable"},
    {"Alternative Routing-ID Interpretation", "ARICtl", "ACS", "ARI Control", "ACS Function Groups Enable"},

    {"Multicast", "McastCap", "ECRCRegen", "Multicast Capability", "MC_ECRC_Regeneration_Supported"},
    {"Multicast", "McastCtl", "Enable", "Multicast Control", "MC_Enable"},
    {"Multicast", "McastCap McastCtl", "Enable", "Multicast Control", "MC_Enable"},

    {"Root Complex Link Declaration", "Link0 Desc", "AssocRCRB", "Link Entry 0 Description", "Associate RCRB Header"},
    {"Root Complex Link Declaration", "Link0 Desc", "LinkValid", "Link Entry 0 Description", "Link Valid"},
    {"Root Complex Link Declaration", "Link1 Desc", "AssocRCRB", "Link Entry 1 Description", "Associate RCRB Header"},
    {"Root Complex Link Declaration", "Link1 Desc", "LinkValid", "Link Entry 1 Description", "Link Valid"},
};

// The event collector bitmaps of the tests' dumps as lspci lists their devices.
inline constexpr const char* kRciepLists =
    "0-3, 8-11, 16, 18, 21, 23-24, 26, 29, 31=a5a50f0f|4-7, 12-15, 17, 19-20, 22, 25, 27-28, 30=5a5af0f0";

// lspci prints each 64-bit register whole; the rows compare its dwords. A configuration link's
// bus, device and function come from the lower dword of its address.
inline const std::vector<ValueRow> kSharingValues = {
    {"Single Root I/O Virtualization", "IOVCap", "Interrupt Message Number: ([0-9a-f]+)", "SR-IOV Capabilities", "VF Migration Interrupt Message Number", Compare::kHex},
    {"Single Root I/O Virtualization", "Initial VFs", "^\\s*(\\d+),", "InitialVFs", "", Compare::kDecimal},
    {"Single Root I/O Virtualization", "Initial VFs", "Total VFs: (\\d+)", "TotalVFs", "", Compare::kDecimal},
    {"Single Root I/O Virtualization", "Initial VFs", "Number of VFs: (\\d+)", "NumVFs", "", Compare::kDecimal},
    {"Single Root I/O Virtualization", "Initial VFs", "Function Dependency Link: ([0-9a-f]+)", "Function Dependency Link", "", Compare::kHex},
    {"Single Root I/O Virtualization", "VF offset", "^\\s*(\\d+),", "First VF Offset", "", Compare::kDecimal},
    {"Single Root I/O Virtualization", "VF offset", "stride: (\\d+)", "VF Stride", "", Compare::kDecimal},
    {"Single Root I/O Virtualization", "VF offset", "Device ID: ([0-9a-f]+)", "VF Device ID", "", Compare::kHex},
    {"Single Root I/O Virtualization", "Supported Page Size", "^\\s*([0-9a-f]+),", "Supported Page Sizes", "", Compare::kHex},
    {"Single Root I/O Virtualization", "Supported Page Size", "System Page Size: ([0-9a-f]+)", "System Page Size", "", Compare::kHex},
    {"Single Root I/O Virtualization", "Region 0", "\\((32-bit|64-bit),", "VF BAR0", "Memory type (32-bit, 64-bit)", Compare::kMeaning},
    {"Single Root I/O Virtualization", "Region 0", ", (prefetchable)\\)", "VF BAR0", "Prefetchable", Compare::kMeaning},
    {"Single Root I/O Virtualization", "Region 0", "Memory at (?:[0-9a-f]{8})?([0-9a-f]{8}) ", "VF BAR0", "Base address", Compare::kHexMeaning},
    {"Single Root I/O Virtualization", "Region 0", "Memory at ([0-9a-f]{16}) ", "VF BAR1", "Upper half of a 64-bit base address", Compare::kHexMeaning},
    {"Single Root I/O Virtualization", "Region 1", "\\((32-bit|64-bit),", "VF BAR1", "Memory type (32-bit, 64-bit)", Compare::kMeaning},
    {"Single Root I/O Virtualization", "Region 1", ", (prefetchable)\\)", "VF BAR1", "Prefetchable", Compare::kMeaning},
    {"Single Root I/O Virtualization", "Region 1", "Memory at (?:[0-9a-f]{8})?([0-9a-f]{8}) ", "VF BAR1", "Base address", Compare::kHexMeaning},
    {"Single Root I/O Virtualization", "Region 1", "Memory at ([0-9a-f]{16}) ", "VF BAR2", "Upper half of a 64-bit base address", Compare::kHexMeaning},
    {"Single Root I/O Virtualization", "Region 2", "\\((32-bit|64-bit),", "VF BAR2", "Memory type (32-bit, 64-bit)", Compare::kMeaning},
    {"Single Root I/O Virtualization", "Region 2", ", (prefetchable)\\)", "VF BAR2", "Prefetchable", Compare::kMeaning},
    {"Single Root I/O Virtualization", "Region 2", "Memory at (?:[0-9a-f]{8})?([0-9a-f]{8}) ", "VF BAR2", "Base address", Compare::kHexMeaning},
    {"Single Root I/O Virtualization", "Region 2", "Memory at ([0-9a-f]{16}) ", "VF BAR3", "Upper half of a 64-bit base address", Compare::kHexMeaning},
    {"Single Root I/O Virtualization", "Region 3", "\\((32-bit|64-bit),", "VF BAR3", "Memory type (32-bit, 64-bit)", Compare::kMeaning},
    {"Single Root I/O Virtualization", "Region 3", ", (prefetchable)\\)", "VF BAR3", "Prefetchable", Compare::kMeaning},
    {"Single Root I/O Virtualization", "Region 3", "Memory at (?:[0-9a-f]{8})?([0-9a-f]{8}) ", "VF BAR3", "Base address", Compare::kHexMeaning},
    {"Single Root I/O Virtualization", "Region 3", "Memory at ([0-9a-f]{16}) ", "VF BAR4", "Upper half of a 64-bit base address", Compare::kHexMeaning},
    {"Single Root I/O Virtualization", "Region 4", "\\((32-bit|64-bit),", "VF BAR4", "Memory type (32-bit, 64-bit)", Compare::kMeaning},
    {"Single Root I/O Virtualization", "Region 4", ", (prefetchable)\\)", "VF BAR4", "Prefetchable", Compare::kMeaning},
    {"Single Root I/O Virtualization", "Region 4", "Memory at (?:[0-9a-f]{8})?([0-9a-f]{8}) ", "VF BAR4", "Base address", Compare::kHexMeaning},
    {"Single Root I/O Virtualization", "Region 4", "Memory at ([0-9a-f]{16}) ", "VF BAR5", "Upper half of a 64-bit base address", Compare::kHexMeaning},
    {"Single Root I/O Virtualization", "Region 5", "\\((32-bit|64-bit),", "VF BAR5", "Memory type (32-bit, 64-bit)", Compare::kMeaning},
    {"Single Root I/O Virtualization", "Region 5", ", (prefetchable)\\)", "VF BAR5", "Prefetchable", Compare::kMeaning},
    {"Single Root I/O Virtualization", "Region 5", "Memory at (?:[0-9a-f]{8})?([0-9a-f]{8}) ", "VF BAR5", "Base address", Compare::kHexMeaning},
    {"Single Root I/O Virtualization", "VF Migration", "offset: ([0-9a-f]+)", "VF Migration State Array Offset", "VF Migration State Offset", Compare::kHexMeaning},
    {"Single Root I/O Virtualization", "VF Migration", "BIR: (\\d+)", "VF Migration State Array Offset", "VF Migration State BIR", Compare::kDecimal},

    {"Address Translation Services", "ATSCap", "Invalidate Queue Depth: ([0-9a-f]+)", "ATS Capability", "Invalidate Queue Depth", Compare::kHex},
    {"Address Translation Services", "ATSCtl", "Smallest Translation Unit: ([0-9a-f]+)", "ATS Control", "Smallest Translation Unit", Compare::kHex},

    {"Page Request", "Page Request Capacity", "^\\s*([0-9a-f]+),", "Outstanding Page Request Capacity", "", Compare::kHex},
    {"Page Request", "Page Request Capacity", "Page Request Allocation: ([0-9a-f]+)", "Outstanding Page Request Allocation", "", Compare::kHex},

    {"Process Address Space ID", "PASIDCap", "Max PASID Width: ([0-9a-f]+)", "PASID Capability", "Max PASID Width", Compare::kHex},

    {"Alternative Routing-ID Interpretation", "ARICap", "Next Function: (\\d+)", "ARI Capability", "Next Function Number", Compare::kDecimal},
    {"Alternative Routing-ID Interpretation", "ARICtl", "Function Group: (\\d+)", "ARI Control", "Function Group", Compare::kDecimal},

    {"Multicast", "McastCap", "MaxGroups (\\d+)", "Multicast Capability", "MC_Max_Group", Compare::kMeaning},
    {"Multicast", "McastCap", "McastCtl: NumGroups (\\d+)", "Multicast Control", "MC_Num_Group", Compare::kMeaning},
    {"Multicast", "McastCtl", "NumGroups (\\d+)", "Multicast Control", "MC_Num_Group", Compare::kMeaning},
    {"Multicast", "McastBAR", "IndexPos (\\d+)", "MC_Base_Address Register (bits 31-0)", "MC_Index_Position", Compare::kDecimal},
    {"Multicast", "McastBAR", "BaseAddr [0-9a-f]{8}([0-9a-f]{8})", "MC_Base_Address Register (bits 31-0)", "MC_Base_Address (bits 31-12)", Compare::kHexMeaning},
    {"Multicast", "McastBAR", "BaseAddr ([0-9a-f]{8})", "MC_Base_Address Register (bits 63-32)", "", Compare::kHex},
    {"Multicast", "McastReceiveVec", "([0-9a-f]{8})[0-9a-f]{8}", "MC_Receive (bits 63-32)", "", Compare::kHex},
    {"Multicast", "McastReceiveVec", "[0-9a-f]{8}([0-9a-f]{8})", "MC_Receive (bits 31-0)", "", Compare::kHex},
    {"Multicast", "McastBlockAllVec", "([0-9a-f]{8})[0-9a-f]{8}", "MC_Block_All (bits 63-32)", "", Compare::kHex},
    {"Multicast", "McastBlockAllVec", "[0-9a-f]{8}([0-9a-f]{8})", "MC_Block_All (bits 31-0)", "", Compare::kHex},
    {"Multicast", "McastBlockUntransVec", "([0-9a-f]{8})[0-9a-f]{8}", "MC_Block_Untranslated (bits 63-32)", "", Compare::kHex},
    {"Multicast", "McastBlockUntransVec", "[0-9a-f]{8}([0-9a-f]{8})", "MC_Block_Untranslated (bits 31-0)", "", Compare::kHex},
    {"Multicast", "McastOverlayBAR", "OverlaySize (\\d+)", "MC_Overlay_BAR (bits 31-0)", "MC_Overlay_Size", Compare::kDecimal},
    {"Multicast", "McastOverlayBAR", "OverlaySize \\d+ \\((\\d+ bytes|disabled)\\)", "MC_Overlay_BAR (bits 31-0)", "MC_Overlay_Size", Compare::kMeaning},
    {"Multicast", "McastOverlayBAR", "BaseAddr ([0-9a-f]{8})", "MC_Overlay_BAR (bits 63-32)", "", Compare::kHex},
    {"Multicast", "McastOverlayBAR", "BaseAddr [0-9a-f]{8}([0-9a-f]{8})", "MC_Overlay_BAR (bits 31-0)", "MC_Overlay_BAR (bits 31-6)", Compare::kHexMeaning},

    {"TPH Requester", "", "Steering table (in TPH capability structure|in MSI-X table)", "TPH Requester Capability", "ST Table Location", Compare::kMeaning},
    {"TPH Requester", "", "Device specific mode (supported)", "TPH Requester Capability", "Device-Specific Mode Supported", Compare::kMeaning},
    {"TPH Requester", "", "Interrupt vector mode (supported)", "TPH Requester Capability", "Interrupt Vector Mode Supported", Compare::kMeaning},
    {"TPH Requester", "", "Extended requester (support)", "TPH Requester Capability", "Extended TPH Requester Supported", Compare::kMeaning, "support=supported"},

    {"Root Complex Event Collector Endpoint Association", "RCiEPBitmap", "Device\\(s\\):\\s*(.*\\S)", "Association Bitmap for RCiEPs", "", Compare::kHex, kRciepLists},
    {"Root Complex Event Collector Endpoint Association", "AssociatedBusNumbers", "([0-9a-f]+)-", "RCEC Associated Bus Numbers", "RCEC Next Bus", Compare::kHex},
    {"Root Complex Event Collector Endpoint Association", "AssociatedBusNumbers", "-([0-9a-f]+)", "RCEC Associated Bus Numbers", "RCEC Last Bus", Compare::kHex},

    {"Root Complex Link Declaration", "Desc", "PortNumber=([0-9a-f]+)", "Element Self Description", "Port Number", Compare::kHex},
    {"Root Complex Link Declaration", "Desc", "ComponentID=([0-9a-f]+)", "Element Self Description", "Component ID", Compare::kHex},
    {"Root Complex Link Declaration", "Desc", "EltType=(\\w+)", "Element Self Description", "Element Type", Compare::kMeaning, "Egress=System Egress Port or internal sink|Internal=Internal Root Complex Link"},
    {"Root Complex Link Declaration", "Link0", "TargetPort=([0-9a-f]+)", "Link Entry 0 Description", "Target Port Number", Compare::kHex},
    {"Root Complex Link Declaration", "Link0", "TargetComponent=([0-9a-f]+)", "Link Entry 0 Description", "Target Component ID", Compare::kHex},
    {"Root Complex Link Declaration", "Link0", "LinkType=(\\w+)", "Link Entry 0 Description", "Link Type", Compare::kMeaning, "MemMapped=memory-mapped space|Config=configuration space"},
    {"Root Complex Link Declaration", "Link0", "Addr:\\s+([0-9a-f]{8})[0-9a-f]{8}", "Link Entry 0 Address (bits 63-32)", "", Compare::kHex},
    {"Root Complex Link Declaration", "Link0", "Addr:\\s+[0-9a-f]{8}([0-9a-f]{8})", "Link Entry 0 Address (bits 31-0)", "", Compare::kHex},
    {"Root Complex Link Declaration", "Link0", "CfgSpace=([0-9a-f]{8})", "Link Entry 0 Address (bits 63-32)", "", Compare::kHex},
    {"Root Complex Link Declaration", "Link0", "Addr:\\s+\\S+\\s+CfgSpace=[0-9a-f]{8}([0-9a-f]{8})", "Link Entry 0 Address (bits 31-0)", "", Compare::kHex},
    {"Root Complex Link Declaration", "Link1", "TargetPort=([0-9a-f]+)", "Link Entry 1 Description", "Target Port Number", Compare::kHex},
    {"Root Complex Link Declaration", "Link1", "TargetComponent=([0-9a-f]+)", "Link Entry 1 Description", "Target Component ID", Compare::kHex},
    {"Root Complex Link Declaration", "Link1", "LinkType=(\\w+)", "Link Entry 1 Description", "Link Type", Compare::kMeaning, "MemMapped=memory-mapped space|Config=configuration space"},
    {"Root Complex Link Declaration", "Link1", "Addr:\\s+([0-9a-f]{8})[0-9a-f]{8}", "Link Entry 1 Address (bits 63-32)", "", Compare::kHex},
    {"Root Complex Link Declaration", "Link1", "Addr:\\s+[0-9a-f]{8}([0-9a-f]{8})", "Link Entry 1 Address (bits 31-0)", "", Compare::kHex},
    {"Root Complex Link Declaration", "Link1", "CfgSpace=([0-9a-f]{8})", "Link Entry 1 Address (bits 63-32)", "", Compare::kHex},
    {"Root Complex Link Declaration", "Link1", "Addr:\\s+\\S+\\s+CfgSpace=[0-9a-f]{8}([0-9a-f]{8})", "Link Entry 1 Address (bits 31-0)", "", Compare::kHex},

    {"Vendor-Specific Extended", "", "ID=([0-9a-f]+)", "Vendor-Specific Header", "VSEC ID", Compare::kHex},
    {"Vendor-Specific Extended", "", "Rev=(\\d+)", "Vendor-Specific Header", "VSEC Rev", Compare::kDecimal},
    {"Vendor-Specific Extended", "", "Len=([0-9a-f]+)", "Vendor-Specific Header", "VSEC Length (bytes)", Compare::kHex},

    {"Designated Vendor-Specific", "", "Vendor=([0-9a-f]+)", "Designated Vendor-Specific Header 1", "DVSEC Vendor ID", Compare::kHex},
    {"Designated Vendor-Specific", "", "ID=([0-9a-f]+)", "Designated Vendor-Specific Header 2", "DVSEC ID", Compare::kHex},
    {"Designated Vendor-Specific", "", "Rev=(\\d+)", "Designated Vendor-Specific Header 1", "DVSEC Revision", Compare::kDecimal},
    {"Designated Vendor-Specific", "", "Len=(\\d+)", "Designated Vendor-Specific Header 1", "DVSEC Length (bytes)", Compare::kDecimal},
};
// clang-format on

}  // namespace qbus::config_space
