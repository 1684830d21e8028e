// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "config_space/decoded_line.h"
#include "config_space/value_meanings.h"

// A function decoded whole, as a tree: the header, then each capability and extended capability
// in the order its list gives them; under each its registers with offset and value; under each
// register its fields with bits, access and meaning. Built from bytes already read.
namespace qbus::config_space {

// The lines of the tree in order, each after its parent. Only registers that lie wholly within
// `bytes` (and within their capability) appear; a reading of the first 64 bytes has the header.
std::vector<DecodedLine> DecodeFunction(std::span<const uint8_t> bytes,
                                        const ClassNamer& class_names = {},
                                        const IdNamer& id_names = {});

}  // namespace qbus::config_space
