// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "app/file_system.h"

namespace qbus::app {

// Writes `text` to `path` whole or not at all: into a new temporary file beside it, flushed to
// the disk, then renamed over `path`, every step relative to the one folder opened first. A
// file that is replaced keeps its modes and, where the writer may give it, its owner. Empty
// when written; otherwise why not ("Cannot write /x/y.txt: Permission denied"), and nothing
// is left behind: an existing file stays as it was. Every step goes through `fs`.
std::string WriteFileWhole(const std::string& path, const std::string& text,
                           FileSystem& fs = RealFileSystem());

}  // namespace qbus::app
