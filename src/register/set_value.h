// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "text/access_width.h"

// The value typed into the bit editor's Set value dialog.
namespace qbus::regs {

// `typed` as a value of `width`: hex digits, "0x" in front or not, blanks around ignored.
// Nothing when it is no hex number or is wider than the width; `*refusal` then says why.
std::optional<uint32_t> ParseTypedValue(const std::string& typed, AccessWidth width,
                                        std::string* refusal);

}  // namespace qbus::regs
