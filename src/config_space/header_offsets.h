// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

// Byte offsets of the configuration header's registers, and where its parts end, by name, for
// code that reads or models them (the register tables name them for people).
namespace qbus::config_space::header {

// Every header type.
constexpr uint32_t kVendorId = 0x00;
constexpr uint32_t kDeviceId = 0x02;
constexpr uint32_t kCommand = 0x04;
constexpr uint32_t kStatus = 0x06;
constexpr uint32_t kRevisionId = 0x08;
constexpr uint32_t kProgrammingInterface = 0x09;
constexpr uint32_t kSubclass = 0x0A;
constexpr uint32_t kClassCode = 0x0B;
constexpr uint32_t kCacheLineSize = 0x0C;
constexpr uint32_t kLatencyTimer = 0x0D;
constexpr uint32_t kHeaderType = 0x0E;
constexpr uint32_t kCommonHeaderEnd = 0x10;  // the part every type shares ends here
constexpr uint32_t kBar0 = 0x10;
constexpr uint32_t kInterruptLine = 0x3C;
constexpr uint32_t kInterruptPin = 0x3D;
// The header of types 0 and 1 ends here; the device-specific registers and capabilities follow.
constexpr uint32_t kHeaderEnd = 0x40;

// Status bit 4: the function has a capability list.
constexpr uint32_t kStatusCapabilityList = 0x10;

// Type 0 (devices).
constexpr uint32_t kLastBar = 0x24;
constexpr uint32_t kRomAddress = 0x30;
constexpr uint32_t kCapabilityList = 0x34;

// Type 1 (PCI-to-PCI bridges).
constexpr uint32_t kBridgeLastBar = 0x14;
constexpr uint32_t kPrimaryBus = 0x18;
constexpr uint32_t kSecondaryBus = 0x19;
constexpr uint32_t kSubordinateBus = 0x1A;
constexpr uint32_t kSecondaryLatencyTimer = 0x1B;
constexpr uint32_t kIoBase = 0x1C;
constexpr uint32_t kSecondaryStatus = 0x1E;
constexpr uint32_t kMemoryBase = 0x20;
constexpr uint32_t kPrefetchableLimit = 0x26;
constexpr uint32_t kPrefetchableBaseUpper = 0x28;
constexpr uint32_t kIoLimitUpper = 0x32;
constexpr uint32_t kBridgeRomAddress = 0x38;
constexpr uint32_t kBridgeControl = 0x3E;

// Type 2 (CardBus bridges): the capability list pointer sits here instead, and the header runs
// further.
constexpr uint32_t kCardBusCapabilityList = 0x14;
constexpr uint32_t kCardBusHeaderEnd = 0x48;

// The end of the header of `header_type`.
constexpr uint32_t HeaderEnd(int header_type) {
  return header_type == 2 ? kCardBusHeaderEnd : kHeaderEnd;
}

// The end of the BARs of `header_type`: 0 for a type without BARs.
constexpr uint32_t BarsEnd(int header_type) {
  return header_type == 0 ? kLastBar + 4 : header_type == 1 ? kBridgeLastBar + 4 : 0;
}

// The extended capability list of PCI Express functions.
constexpr uint32_t kExtendedCapabilities = 0x100;

}  // namespace qbus::config_space::header
