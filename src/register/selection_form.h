// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>

#include "hw/hardware_access.h"
#include "register/go_to_register.h"
#include "register/phase_outcome.h"
#include "text/access_width.h"
#include "ui/window_layer.h"

namespace qbus::regs {

struct Selection {
  Outcome outcome;    // kRead or kExit
  AccessWidth width;  // the chosen width, for kRead
  EditPlan edit;      // what the Edit row shows after READ; empty: the value read
};

// Builds the selection form (after freeing every control numbered 0 to 106 that exists): the bus,
// device, function and offset selectors at 0 with their captions, READ, NEW SELECTION (disabled)
// and EXIT, and the DWord/Word/Byte options with DWord chosen. Then waits: a selector step
// rewrites its caption; choosing another width relabels the offset and rebuilds its selector at 0;
// READ returns kRead with every form control in place; EXIT or the close box returns kExit.
//
// Two shortcuts help: Go to register (Ctrl+G, or the address selector's context menu) lists the
// selected function's registers by name and offset, reading its header type, BARs and capability
// lists through `access` once per function (reads only); taking one sets the width option and
// the address selector as the user's own clicks would. Find device (Ctrl+F, or the device
// list's context menu) lists what `find_device` offers (when given); taking one selects its line
// and sets bus, device and function. A chosen line of the device list itself sets nothing.
// A Go to register event that finds `request` set takes that register of that function, setting
// the bus, device and function selectors too, and clears it; one with an edit plan then reads as
// READ does and hands the plan on.
Selection RunSelectionForm(ui::WindowLayer& layer, const hw::HardwareAccess& access,
                           const ui::ChoiceFilter& find_device = {},
                           std::optional<GoToRequest>* request = nullptr);

// The offset selector's label for a width: "Address (0x0000-0xFFFC)", "-0xFFFE)" or "-0xFFFF)".
const char* OffsetLabel(AccessWidth width);

}  // namespace qbus::regs
