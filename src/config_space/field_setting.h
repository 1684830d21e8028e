// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config_space/register_names.h"
#include "config_space/value_meanings.h"

// Setting a field by what it means, and writing a register back to a value it held, without
// clearing a write-1-to-clear bit by accident.
namespace qbus::config_space {

// A value a field may be set to, with what it means there: "512 bytes", "L1", "on".
struct FieldChoice {
  uint32_t value;
  std::string meaning;
};

// The values of `field` (in the register that starts at `start`) a user picks by meaning: a flag's
// off and on, each named encoding of an encoded field up to six bits wide, reserved ones left out.
// Empty for a number, which is typed (0 to FieldMaximum).
std::vector<FieldChoice> FieldChoices(const FieldName& field, uint32_t start,
                                      const ShownBytes& shown);
uint32_t FieldMaximum(const FieldName& field);

// How the bits of `width` bytes at `offset` take a write, from the registers of `entries` that
// cover them; a byte no register names takes what is written.
struct BitKinds {
  uint32_t read_only = 0;
  uint32_t clear_on_one = 0;  // write 1 to clear
};
BitKinds BitKindsOf(const std::vector<RegisterEntry>& entries, uint32_t offset, int width);

// What to write over `reading` so that the bits of `mask` take `wanted`'s: the others keep what
// they read, but for the write-1-to-clear ones, which are written 0. `kept_clear`: those of them
// the reading had set, so the write would have cleared.
struct ComposedWrite {
  uint32_t value = 0;
  uint32_t kept_clear = 0;
};
ComposedWrite ComposeWrite(const BitKinds& kinds, uint32_t reading, uint32_t mask, uint32_t wanted);

// The bits a write back of an earlier value sets: every one but the read-only and
// write-1-to-clear ones, within `width` bytes.
uint32_t RestorableBits(const BitKinds& kinds, int width);

}  // namespace qbus::config_space
