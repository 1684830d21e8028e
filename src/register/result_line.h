// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

#include "register/captions.h"
#include "text/access_width.h"

namespace qbus::regs {

enum class LineKind { kRead, kWrite, kTest };

// One result line, for example
// "Read-Word (Bus=0x80 (128), Device=0x03 (3), Function=0x1 (1), Address=0x0004 (4)) :  Hex: A5C3
//  Bin: 10100101 11000011    Dec: 42435" (one line, four blanks before "Bin:" and "Dec:").
// Only the width's low bits of `value` count, as an unsigned number.
std::string FormatResultLine(LineKind kind, AccessWidth width, uint32_t value,
                             const LocationCaptions& captions);

// A result line for an access that failed: the same prefix and location, then `failure` in
// place of the value, for example
// "Read-DWord (Bus=0x00 (0), Device=0x03 (3), Function=0x1 (1), Address=0x0040 (64)) :  Read
//  failed: needs root from offset 0x40 on".
std::string FormatFailureLine(LineKind kind, AccessWidth width, const LocationCaptions& captions,
                              const std::string& failure);

// Why a read failed, as far as the program can tell without another access: an offset beyond
// the 4 KiB configuration space, an offset of 0x40 or more while not running as root (the
// kernel shows the rest only to root), or else the library's refusal.
std::string ReadFailure(uint32_t offset, bool running_as_root);

// Why a write failed: not running as root, or else the library's refusal.
std::string WriteFailure(bool running_as_root);

}  // namespace qbus::regs
