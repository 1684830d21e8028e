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

}  // extern "C"
