// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "config_space/value_meanings.h"
#include "hw/hardware_access.h"
#include "register/register_access.h"
#include "ui/window_layer.h"

namespace qbus::regs {

// Makes the result lines and bit boxes of the cycle that read `target` describe themselves:
// a line names the registers it shows, a box its register and bit field
// (config_space/register_names.h), and both say what the values of the fields in their row mean
// (the Write line and the Edit row: the value being composed). The function's layout, and what a
// meaning needs beyond the row, are read through `access` the first time a description needs
// them, never before, and only once per READ; class bytes are named through `class_names`.
// `access` must outlive the cycle's controls.
void OfferRegisterDescriptions(ui::WindowLayer& layer, const hw::HardwareAccess& access,
                               const RegisterTarget& target,
                               const config_space::ClassNamer& class_names = {});

}  // namespace qbus::regs
