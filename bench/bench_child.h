// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace qbus::bench {

// The child side of the start-up benchmark: runs the program with `library`, writes "ready"
// to standard output when the first form waits for input, and closes the window at once.
int RunFirstFormChild(const char* library);

}  // namespace qbus::bench
