// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "config_space/dump_parser.h"

// Loads a dump file named by the environment or picked by the user, which may be anything: only a
// regular file of at most kMaxDumpBytes is read, and opening never blocks (a FIFO or a device is
// refused, not waited on). The text is read in blocks and parsed as it comes, so memory holds the
// functions, not the text; a line longer than a dump line may be is refused as soon as it is
// seen, without reading on. A large file is parsed in two halves at once.
namespace qbus::config_space {

// Large enough for 65,536 functions of 4 KiB each as `lspci -xxxx` prints them (about 900 MB).
constexpr uint64_t kMaxDumpBytes = uint64_t{1} << 30;

// The longest line a dump file may have, its line feed not counted. A dump's longest lines, a
// function's heading with its class and names or a verbose line, stay below 300 bytes.
constexpr size_t kMaxDumpLineBytes = 1024;

// The functions, or one line naming the file and the reason it could not be used.
ParsedDump LoadDumpFile(const std::string& path, uint32_t domain = 0);

}  // namespace qbus::config_space
