// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
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
// lines. Typed words also find fields ("PCI Express Device Control: Max Read Request Size
// 0x48"), after the registers. Keys encode a GoToTarget (DecodeGoTo) or a field (FieldOfKey).
std::vector<ui::ListChoice> GoToChoices(const std::vector<config_space::RegisterEntry>& entries,
                                        const std::string& typed);
GoToTarget DecodeGoTo(int key);

// The field a key of GoToChoices names: its register's index in `entries` and its own among the
// register's fields; nothing for a key that names a register.
struct FieldKey {
  size_t entry;
  size_t field;
};
std::optional<FieldKey> FieldOfKey(int key);

// The target for a register of `size` bytes at `offset`: its own width where it is aligned to it,
// else bytes.
GoToTarget TargetOf(uint32_t offset, int size);

// A value composed for the user from what READ read (a field set by its meaning, an earlier value
// written back), shown in the Edit row for WRITE, and the note that says what it changes.
struct ComposedEdit {
  uint32_t value = 0;
  std::string note;
};
using EditPlan = std::function<ComposedEdit(uint32_t reading)>;

// A function, and maybe a register of it, asked for from outside the form (the function view, the
// bus tree, the journal): the form takes it at its next Go to register event, in place of the
// list.
struct GoToRequest {
  uint32_t location;                 // bus << 8 | device << 3 | function
  std::optional<GoToTarget> target;  // nothing: the selectors of the function only
  // Given (with a target): READ follows at once, and the Edit row shows the plan's value.
  EditPlan edit;
};

}  // namespace qbus::regs
