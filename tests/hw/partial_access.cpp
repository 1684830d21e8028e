// SPDX-License-Identifier: GPL-3.0-or-later
// An access library that lacks WritePciConfigByteEx, to test binding against it.
#include "access/common/entry_points.h"

uint32_t InitializeOls() noexcept { return 1; }
void DeinitializeOls() noexcept {}
uint32_t ReadIoPortDwordEx(uint32_t, uint32_t*) noexcept { return 0; }
uint32_t WriteIoPortDwordEx(uint32_t, uint32_t) noexcept { return 0; }
uint32_t ReadPciConfigDwordEx(uint32_t, uint32_t, uint32_t*) noexcept { return 0; }
uint32_t WritePciConfigDwordEx(uint32_t, uint32_t, uint32_t) noexcept { return 0; }
uint32_t ReadPciConfigWordEx(uint32_t, uint32_t, uint16_t*) noexcept { return 0; }
uint32_t WritePciConfigWordEx(uint32_t, uint32_t, uint16_t) noexcept { return 0; }
uint32_t ReadPciConfigByteEx(uint32_t, uint32_t, uint8_t*) noexcept { return 0; }
