// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace qbus::app {

// Writes `text` to `path` whole or not at all: into a new temporary file beside it, flushed to
// the disk, then renamed over `path`. Empty when written; otherwise why not ("Cannot write
// /x/y.txt: Permission denied"), and nothing is left behind.
std::string WriteFileWhole(const std::string& path, const std::string& text);

}  // namespace qbus::app
