// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "names/device_names.h"

// The process's one copy of the system's PCI ID database: parsed once, for the device list, the
// finder, the function view and the bus tree alike.
namespace qbus::names {

// Starts parsing the database on a thread of its own, so that nothing the user waits for (the
// first paint, the first view) parses it. Once is enough; later calls do nothing.
void StartLoadingNames();

// The database, parsed: waits for the thread where it has started, else parses it here. For the
// window's thread only.
DeviceNames& SharedNames();

}  // namespace qbus::names
