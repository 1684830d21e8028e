// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <vector>

#include "hw/hardware_access.h"
#include "register/go_to_register.h"
#include "register/write_journal.h"
#include "ui/window_layer.h"

namespace qbus::app {

// Offers the journal of this session's writes: Ctrl+J anywhere, and "Journal of writes..." in the
// device list's menu. Each line names its register from the function's layout, read through
// `access` when the journal opens (reads only). Restoring a line hands its register to the form
// through `go_to`: READ reads it and the Edit row holds the value before the write, in the bits a
// write sets, for the user to WRITE. Offered while the returned offers live.
[[nodiscard]] std::vector<ui::CommandOffer> OfferJournal(ui::WindowLayer& layer,
                                                         const hw::HardwareAccess& access,
                                                         const regs::WriteJournal& journal,
                                                         std::optional<regs::GoToRequest>& go_to);

}  // namespace qbus::app
