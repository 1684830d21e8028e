// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config_space/register_names.h"
#include "text/access_width.h"
#include "ui/ui_types.h"

// The go-to-register list of the selection form: the selected function's registers by name and
// offset, filtered by what the user types.
namespace qbus::regs {

// A register to go to: its first byte and the width it is read at (its own size, or the widest
// access its offset is aligned to where it has none).
struct GoToTarget {
  uint32_t offset;
  AccessWidth width;
};

// The lines for `typed`: every register of `entries` whose line ("PCI Express Link Status
// 0x8A") holds each word typed, in any case; when `typed` is also a hex offset ("8a", "0x8A")
// up to 0xFFFF, first that offset ("Offset 0x8A"), and the registers that hold it among the
// lines. Keys encode a GoToTarget (DecodeGoTo).
std::vector<ui::ListChoice> GoToChoices(const std::vector<config_space::RegisterEntry>& entries,
                                        const std::string& typed);
GoToTarget DecodeGoTo(int key);

// The target for a register of `size` bytes at `offset`: its own width where it is aligned to it,
// else bytes.
GoToTarget TargetOf(uint32_t offset, int size);

// A register of a function asked for from outside the form (the function view): the form takes
// it at its next Go to register event, in place of the list.
struct GoToRequest {
  uint32_t location;  // bus << 8 | device << 3 | function
  GoToTarget target;
};

}  // namespace qbus::regs
