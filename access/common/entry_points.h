// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The ten entry points that every hardware-access library exports. Every argument is one 32-bit
// value; a result of 1 means success and 0 failure. A read that fails stores all-ones in its
// output (when the pointer is not null). `location` is bus << 8 | device << 3 | function of
// domain 0; `offset` is a byte offset into that function's configuration space. No entry point
// throws: whatever goes wrong inside comes out as the failure result.

#include <cstdint>

#define QBUS_EXPORT __attribute__((visibility("default")))

extern "C" {

// Sets the library up; 0 when it cannot work at all. Calling it again starts afresh.
QBUS_EXPORT uint32_t InitializeOls(void) noexcept;
// Releases what InitializeOls set up; the other entry points fail until the next InitializeOls.
QBUS_EXPORT void DeinitializeOls(void) noexcept;

// Port 0xCF8 holds a latched configuration address; a dword read of port 0xCFC answers it
// (PCI configuration mechanism #1). Other ports fail and touch nothing.
QBUS_EXPORT uint32_t ReadIoPortDwordEx(uint32_t port, uint32_t* value) noexcept;
QBUS_EXPORT uint32_t WriteIoPortDwordEx(uint32_t port, uint32_t value) noexcept;

// Configuration accesses of 4, 2 and 1 bytes; the offset must be aligned to the width and lie
// inside the function's configuration space (256 or 4096 bytes).
QBUS_EXPORT uint32_t ReadPciConfigDwordEx(uint32_t location, uint32_t offset,
                                          uint32_t* value) noexcept;
QBUS_EXPORT uint32_t WritePciConfigDwordEx(uint32_t location, uint32_t offset,
                                           uint32_t value) noexcept;
QBUS_EXPORT uint32_t ReadPciConfigWordEx(uint32_t location, uint32_t offset,
                                         uint16_t* value) noexcept;
QBUS_EXPORT uint32_t WritePciConfigWordEx(uint32_t location, uint32_t offset,
                                          uint16_t value) noexcept;
QBUS_EXPORT uint32_t ReadPciConfigByteEx(uint32_t location, uint32_t offset,
                                         uint8_t* value) noexcept;
QBUS_EXPORT uint32_t WritePciConfigByteEx(uint32_t location, uint32_t offset,
                                          uint8_t value) noexcept;

// Optional entry points beyond the ten. The program looks each up by name and does without it
// where a library lacks it.

// Reads a function's configuration space from offset 0 into `bytes` (`size` bytes long) in one
// call: the whole space (256 or 4096 bytes) or, where the caller may read only part of it, the
// first 64 bytes; never more than `size`. The number of bytes stored; 0 when nothing could be
// read (absent function, null `bytes`, not initialised). Every library exports it.
QBUS_EXPORT uint32_t ReadPciConfigSpaceEx(uint32_t location, uint8_t* bytes,
                                          uint32_t size) noexcept;

// ReadPciConfigSpaceEx for each of `count` functions in one call: that of `locations[i]` into the
// `size` bytes at `bytes + i * size`, the number of bytes stored into `stored[i]` (0 where
// nothing could be read). Through a helper the reads cross in runs, not one round trip each.
// The number of functions read; 0, with nothing stored, for a null pointer or a count above
// 65,536. Every library exports it.
QBUS_EXPORT uint32_t ReadPciConfigSpaceBatchEx(const uint32_t* locations, uint32_t count,
                                               uint32_t size, uint8_t* bytes,
                                               uint32_t* stored) noexcept;

// Whether the library can still reach the hardware: kAccessWorking, or why not; or that it
// refused the last write for want of its record. Exported by libraries whose accesses pass
// through another process (the elevated one).
QBUS_EXPORT uint32_t GetAccessStateEx(void) noexcept;

// The PCI domain whose functions the library presents (0 on most machines; the simulated one
// may present another). Locations name functions within it.
QBUS_EXPORT uint32_t GetPciDomainEx(void) noexcept;

// 1 when the library itself sends each write's record to the system log (its privileged side
// does), so the program must not keep one of its own.
QBUS_EXPORT uint32_t RecordsWritesEx(void) noexcept;

// 1 when the machine the library presents is a simulated one, not this computer's hardware, so
// the window can say so. Exported by the simulated library alone.
QBUS_EXPORT uint32_t IsSimulatedMachineEx(void) noexcept;

}  // extern "C"

namespace qbus::access {

// What GetAccessStateEx answers.
constexpr uint32_t kAccessWorking = 0;
constexpr uint32_t kAccessHelperEnded = 1;   // the access helper has ended
constexpr uint32_t kAccessHelperSilent = 2;  // the access helper does not answer
// The access helper works, but refused the last write, and did not make it, because the system
// log did not take the record of its intent; until the next write.
constexpr uint32_t kAccessWriteUnrecorded = 3;

}  // namespace qbus::access
