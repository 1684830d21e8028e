// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <span>

#include "config_space/register_tables.h"

// The capability tables beyond the common ones, each group in a file of its own. A capability
// named here takes the place of one of the same ID in register_tables.cpp.
namespace qbus::config_space {

// What every table file writes its tables with: the access kinds by their short names, and the
// header dword every extended capability starts with.
namespace table_parts {
inline constexpr Access RO = Access::kReadOnly;
inline constexpr Access W1C = Access::kWriteOneToClear;
inline constexpr Access RW = Access::kReadWrite;
inline constexpr FieldName kExtendedHeader[] = {
    {0, 15, "Extended Capability ID", RO, Meaning::kExtendedCapabilityId},
    {16, 19, "Capability Version", RO},
    {20, 31, "Next Capability Offset", RO},
};
}  // namespace table_parts

// Of the list at 0x34: PCI-X, HyperTransport, AGP, Vital Product Data, Debug Port, SATA, the
// bridge's subsystem IDs, vendor-specific, Advanced Features, Enhanced Allocation.
std::span<const CapabilityName> BusCapabilities();
// Of the list at 0x100, for functions that share or translate: SR-IOV, ATS, PRI, PASID, ARI,
// Multicast, TPH, the root complex's link declaration and event collector, vendor-specific and
// designated vendor-specific.
std::span<const CapabilityName> SharingExtendedCapabilities();
// Of the list at 0x100, for the link: Virtual Channel, the physical layers of 16, 32 and 64 GT/s,
// Lane Margining, Device 3, IDE, Flit Logging, Flit Error Injection, the MMIO register block
// locator, Data Link Feature.
std::span<const CapabilityName> LinkExtendedCapabilities();

}  // namespace qbus::config_space
