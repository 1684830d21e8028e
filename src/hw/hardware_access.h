// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace qbus::hw {

// The ten entry points of the hardware-access library, in the order they are looked up. Every
// argument is one 32-bit value; results are 1 for success and 0 for failure. A read stores the
// value read into its output (all-ones when it fails).
struct HardwareAccess {
  uint32_t (*InitializeOls)();
  void (*DeinitializeOls)();
  // Port 0xCFC; the dword at the configuration address latched in port 0xCF8.
  uint32_t (*ReadIoPortDwordEx)(uint32_t port, uint32_t* value);
  // Port 0xCF8; a configuration address 0x80000000 | bus << 16 | device << 11 | function << 8.
  uint32_t (*WriteIoPortDwordEx)(uint32_t port, uint32_t value);
  // `location` is bus << 8 | device << 3 | function; `offset` a byte offset aligned to the width.
  uint32_t (*ReadPciConfigDwordEx)(uint32_t location, uint32_t offset, uint32_t* value);
  uint32_t (*WritePciConfigDwordEx)(uint32_t location, uint32_t offset, uint32_t value);
  uint32_t (*ReadPciConfigWordEx)(uint32_t location, uint32_t offset, uint16_t* value);
  uint32_t (*WritePciConfigWordEx)(uint32_t location, uint32_t offset, uint16_t value);
  uint32_t (*ReadPciConfigByteEx)(uint32_t location, uint32_t offset, uint8_t* value);
  uint32_t (*WritePciConfigByteEx)(uint32_t location, uint32_t offset, uint8_t value);

  // Optional entries, null where the library lacks them (see access/common/entry_points.h).
  // The whole space from offset 0 in one call; the number of bytes stored, 0 on failure.
  uint32_t (*ReadPciConfigSpaceEx)(uint32_t location, uint8_t* bytes, uint32_t size);
  // That read for `count` functions in one call, each into `size` bytes of `bytes` in turn, its
  // size into `stored`; the number of functions read.
  uint32_t (*ReadPciConfigSpaceBatchEx)(const uint32_t* locations, uint32_t count, uint32_t size,
                                        uint8_t* bytes, uint32_t* stored);
  // 0 while the library reaches the hardware; 1 its helper has ended; 2 it does not answer; 3 it
  // refused the last write, for want of the write's record in the system log.
  uint32_t (*GetAccessStateEx)();
  // The PCI domain whose functions the library presents; absent: 0.
  uint32_t (*GetPciDomainEx)();
  // 1 when the library's privileged side records every write in the system log itself.
  uint32_t (*RecordsWritesEx)();
  // 1 when the library presents a simulated machine; absent: the real one.
  uint32_t (*IsSimulatedMachineEx)();
};

}  // namespace qbus::hw
