// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <vector>

#include "config_space/value_meanings.h"
#include "hw/hardware_access.h"
#include "register/go_to_register.h"
#include "register/write_journal.h"
#include "scan/device_finder.h"
#include "ui/window_layer.h"

namespace qbus::app {

// Offers a function's whole configuration space and copies of it, beside the phases:
// - View function (Ctrl+D: the function the bus, device and function selectors point at; the
//   device list's menu: the line's) opens the function view, which reads it through `access`
//   and saves it;
// - Save all... (the device list's menu) writes every function of `functions` to one file.
// Files hold the text `lspci -xxx` and `-xxxx` print. Everything is read through the read
// entries, only when asked for. The view decodes the function whole (class, vendor, device and
// subsystem names from `environment`), compares it with a saved copy or the reading before,
// writes back registers the user picks from that copy (recorded and kept as every write is, by
// `environment`), and hands a register (or a field's new value) to the selection form through
// `go_to`; a view that watches reads again after each write the journal receives for its
// function. Open views close when the offers go. The commands
// are offered while the returned offers live: drop them before `access` (the library) or
// `functions` goes.
[[nodiscard]] std::vector<ui::CommandOffer> OfferFunctionViews(
    ui::WindowLayer& layer, const hw::HardwareAccess& access,
    const std::vector<scan::ListedFunction>& functions, const regs::AccessEnvironment& environment,
    std::optional<regs::GoToRequest>& go_to);

}  // namespace qbus::app
