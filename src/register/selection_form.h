// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "register/phase_outcome.h"
#include "text/access_width.h"
#include "ui/window_layer.h"

namespace qbus::regs {

struct Selection {
  Outcome outcome;    // kRead or kExit
  AccessWidth width;  // the chosen width, for kRead
};

// Builds the selection form (after freeing every control numbered 0 to 106 that exists): the bus,
// device, function and offset selectors at 0 with their captions, READ, NEW SELECTION (disabled)
// and EXIT, and the DWord/Word/Byte options with DWord chosen. Then waits: a selector step
// rewrites its caption; choosing another width relabels the offset and rebuilds its selector at 0;
// READ returns kRead with every form control in place; EXIT or the close box returns kExit.
Selection RunSelectionForm(ui::WindowLayer& layer);

// The offset selector's label for a width: "Address (0x0000-0xFFFC)", "-0xFFFE)" or "-0xFFFF)".
const char* OffsetLabel(AccessWidth width);

}  // namespace qbus::regs
