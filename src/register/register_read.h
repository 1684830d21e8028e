#pragma once

#include <cstdint>

#include "hw/hardware_access.h"
#include "register/register_access.h"
#include "ui/window_layer.h"

namespace qbus::regs {

// What the read hands to the bit editor.
struct ReadResult {
  RegisterTarget target;
  uint32_t value = 0;  // the value read, at the width
};

// Frees READ and the width options, enables NEW SELECTION, takes the location and offset from
// the four selectors (offset = position << width), reads the register once at `width`, shows
// the Read line (9) and the disabled Read row, and disables the selectors. Waits for nothing.
ReadResult RunRegisterRead(ui::WindowLayer& layer, const hw::HardwareAccess& access,
                           AccessWidth width);

}  // namespace qbus::regs
