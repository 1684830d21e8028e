// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "hw/hardware_access.h"
#include "register/go_to_register.h"
#include "register/phase_outcome.h"
#include "register/register_read.h"
#include "ui/window_layer.h"

namespace qbus::regs {

// Shows the Write line (42), the enabled Edit row holding the value read and WRITE (8), and
// waits. A click on a box of the row recomputes the value from the whole row and rewrites the
// Write line. WRITE frees the button, writes the value at the width, disables the row, reads the
// register back and shows the Test line (8) and the disabled Verify row, then waits again.
// NEW SELECTION (107) returns kNewSelection, writing nothing when it comes before WRITE; EXIT
// (108) and the close box return kExit at once.
//
// A failure is shown, never passed off as data: after a failed read there is nothing to edit or
// write (no Write line, Edit row or WRITE; only NEW SELECTION and EXIT); a refused write turns
// the Write line into the reason, and a failed read-back shows its reason in the Test line and
// no Verify row. Each write is recorded through `environment.record_write`
// before it is issued and after the read-back (write_record.h), and kept in
// `environment.journal`.
//
// A `plan` (a field set by its meaning, a value written back) sets the Edit row and the Write
// line to the value it composes from the one read, and shows its note under the Verify row; the
// user still writes it with WRITE. Ctrl+Z says why it does nothing where there is no write to
// undo.
Outcome RunBitEditor(ui::WindowLayer& layer, const hw::HardwareAccess& access,
                     const AccessEnvironment& environment, const ReadResult& read,
                     const EditPlan& plan = {});

}  // namespace qbus::regs
