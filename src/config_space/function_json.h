// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "config_space/decoded_line.h"

// A function's bytes and decoded tree as one JSON document, for programs that read what the
// function view shows without parsing its text. docs/function-json.md gives the schema.
namespace qbus::config_space {

// The JSON text, UTF-8, ending in a line feed, of the function at `location` (bus << 8 | device
// << 3 | function) of `domain`: its `description` (the dump's heading text after the location;
// may be empty), `bytes` as read from offset 0 (all of them, as one hex string), and `tree` as
// DecodeFunction gives it for those bytes: each block (depth 0) with its registers (depth 1),
// each register with its fields (depth 2). Register values are taken from the tree's value text,
// field values from them and the field's bits. Any text passes through as UTF-8, quotes,
// backslashes and control characters escaped; a byte that is not part of valid UTF-8 is written
// as U+FFFD.
std::string FormatFunctionJson(uint32_t location, const std::string& description,
                               std::span<const uint8_t> bytes, std::span<const DecodedLine> tree,
                               uint32_t domain = 0);

}  // namespace qbus::config_space
