// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "register/register_access.h"
#include "ui/window_layer.h"

namespace qbus::app {

// The main window's title: the tool's name and the attribution of the access interface.
extern const char kWindowTitle[];
// On a simulated machine the title gains this suffix and the device list this name.
extern const char kSimulatedTitleSuffix[];
extern const char kSimulatedDeviceListName[];

// The whole program on `layer`: opens the main window, makes the two fonts at sizes that make up
// for the display resolution, binds the access library `library_file` (a path, or a bare name to
// search), scans the bus once, then runs register cycles (selection form, read, bit editor) until
// EXIT or the close box, and finally deinitialises and unloads the library. A window that cannot
// open or a library that cannot be bound ends it early (the binding shows its own message).
// `environment` says whether the process runs as root and where writes are recorded. Always returns
// 0, the process exit code.
int RunProgram(ui::WindowLayer& layer, const std::string& library_file,
               const regs::AccessEnvironment& environment = {});

// The size passed to MakeFont for a nominal size at `dots_per_inch`: nominal / (D / 96),
// truncated toward zero (7 and 9 at 96 give 7 and 9, at 120 give 5 and 7).
int CompensatedFontSize(int nominal, int dots_per_inch);

}  // namespace qbus::app
