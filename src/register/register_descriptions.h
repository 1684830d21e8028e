// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "hw/hardware_access.h"
#include "register/register_access.h"
#include "ui/window_layer.h"

namespace qbus::regs {

// Makes the result lines and bit boxes of the cycle that read `target` describe themselves:
// a line names the registers it shows, a box its register and bit field
// (config_space/register_names.h). The function's layout is read through `access` the first time a
// description is needed, never before, and only once per READ. `access` must outlive the cycle's
// controls.
void OfferRegisterDescriptions(ui::WindowLayer& layer, const hw::HardwareAccess& access,
                               const RegisterTarget& target);

}  // namespace qbus::regs
