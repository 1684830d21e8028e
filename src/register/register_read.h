// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include "hw/hardware_access.h"
#include "register/register_access.h"
#include "ui/window_layer.h"

namespace qbus::regs {

// What the read hands to the bit editor.
struct ReadResult {
  RegisterTarget target;
  bool read = false;   // whether the library read the register
  uint32_t value = 0;  // the value read, at the width (meaningless when not read)
};

// Frees READ and the width options, enables NEW SELECTION, takes the location and offset from
// the four selectors (offset = position << width), reads the register once at `width`, shows
// the Read line (9) and the disabled Read row, and disables the selectors. Waits for nothing.
// A failed read shows why in the Read line (see DiagnoseFailure) and no Read row.
// The descriptions name class bytes through `class_names`.
ReadResult RunRegisterRead(ui::WindowLayer& layer, const hw::HardwareAccess& access,
                           AccessWidth width, const config_space::ClassNamer& class_names = {});

}  // namespace qbus::regs
