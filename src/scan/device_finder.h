// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ui/ui_types.h"

// Finding a listed function by what a user knows of it: its vendor's or device's name, its
// identifiers or its location.
namespace qbus::scan {

// One line of the device list: the function's location (bus << 8 | device << 3 | function) and
// its identifier dword (vendor in the low half).
struct ListedFunction {
  uint32_t location;
  uint32_t identifiers;
};

class DeviceFinder {
 public:
  explicit DeviceFinder(std::vector<ListedFunction> functions);
  ~DeviceFinder();

  // The lines matching `typed` ("01:00.0  10de:1244  NVIDIA Corporation GK104 ..."): every word
  // typed must appear, in any case, in the location, the identifiers ("10de", "10de:1244") or
  // the names from the PCI ID database (read when first needed). Keys are device-list rows.
  std::vector<ui::ListChoice> Find(const std::string& typed);

 private:
  std::vector<ListedFunction> functions_;
  std::vector<std::string> lines_;    // made at the first Find
  std::vector<std::string> lowered_;  // the same in lower case, to match against
};

}  // namespace qbus::scan
