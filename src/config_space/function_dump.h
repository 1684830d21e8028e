// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "config_space/capability_walk.h"

// A function's configuration space as bytes in memory and as the text `lspci -x`, `-xxx` and
// `-xxxx` print, which `lspci -F` and the simulated machine read back.
namespace qbus::config_space {

// "bb:dd.f" in lower-case hex, as the dumps name a function; "dddd:bb:dd.f" in a domain other
// than 0.
std::string LocationText(uint32_t location, uint32_t domain = 0);

// The function at `location` (bus << 8 | device << 3 | function) of `domain`: the line
// "bb:dd.f `description`" (with the domain in front when it is not 0), then 16 bytes a line in
// lower-case hex after their offset ("00: 86 80 ...", "100: ..." past 0xFF), then an empty line. A
// last line with fewer than 16 bytes has only those.
std::string FormatFunctionDump(uint32_t location, const std::string& description,
                               std::span<const uint8_t> bytes, uint32_t domain = 0);

// A reader over bytes already read, for the capability walk: nothing past them.
ConfigReader ReaderOver(std::vector<uint8_t> bytes);

}  // namespace qbus::config_space
