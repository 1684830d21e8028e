// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace qbus::bench {

// The child sides of the start-up benchmark. Each writes "ready CPU_MICROSECONDS" (its own CPU
// so far) to standard output when its window first waits for input, and closes it at once.
// The program with `library`:
int RunFirstFormChild(const char* library);
// The window layer's main window of the program's size holding one button:
int RunBareWindowChild();

// Helper against in-process, one operation at a time as a user waits for it (helper_waits.cpp):
// prints its lines and returns the exit code.
int RunHelperWaits();

}  // namespace qbus::bench
