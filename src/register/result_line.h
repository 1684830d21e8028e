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

}  // namespace qbus::regs
