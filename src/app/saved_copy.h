// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A saved copy of functions (the text Save and Save all write, or `lspci -xxx` prints) read back
// to compare a function with.
namespace qbus::app {

struct SavedFunction {
  std::vector<uint8_t> bytes;  // as far as the copy gives them; all-ones where it does not
  std::vector<bool> held;      // which of `bytes` the copy gives
  uint32_t location = 0;       // which function of the copy they are
  std::string error;           // empty when read; otherwise why not, naming the file
};

// The function at `location` of `domain` in the file at `path`, or else its first function of
// that domain; read as the simulated machine reads a dump (config_space/dump_file.h).
SavedFunction ReadSavedFunction(const std::string& path, uint32_t location, uint32_t domain);

}  // namespace qbus::app
