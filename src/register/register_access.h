// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "config_space/capability_walk.h"
#include "config_space/value_meanings.h"
#include "hw/hardware_access.h"
#include "register/captions.h"
#include "register/result_line.h"
#include "text/access_width.h"

namespace qbus::regs {

// The register one cycle reads and writes, fixed at READ.
struct RegisterTarget {
  AccessWidth width = AccessWidth::kDWord;
  uint32_t location = 0;  // bus << 8 | device << 3 | function
  uint32_t offset = 0;    // byte offset, aligned to the width
  LocationCaptions captions;
};

// What the register phases know of the world beyond the window and the library.
struct AccessEnvironment {
  // Receives the lines that record each write (see write_record.h); empty: nothing is recorded.
  std::function<void(const std::string& line)> record_write;
  // Names class bytes in descriptions; empty: the program's own lookup in the PCI ID database.
  cfgspace::ClassNamer class_names;
};

// Reads the register through the width's read entry into `*value`, at the width. True when the
// library reports success; otherwise `*value` holds what the library left there (all-ones).
bool ReadRegister(const hw::HardwareAccess& access, const RegisterTarget& target, uint32_t* value);

// Writes the width's low bits of `value` through the width's write entry; true when the library
// reports success.
bool WriteRegister(const hw::HardwareAccess& access, const RegisterTarget& target, uint32_t value);

// Reads one function's configuration space through `access`'s read entries (for the
// capability walk); `access` must outlive the reader.
cfgspace::ConfigReader FunctionReader(const hw::HardwareAccess& access, uint32_t location);

// A function's configuration space as far as it can be read, a dword at a time through the
// read entry: 4096 bytes when it has extended space, else 256; without root the library stops
// the reading at 64; empty when no function answers. Only reads.
std::vector<uint8_t> ReadFunctionSpace(const hw::HardwareAccess& access, uint32_t location);

// Why an access to `target` just failed, found by reading the function (never writing): a word
// at 0x00 (does any function answer?), a dword at 0x40 (does the library reach past the first
// 64 bytes, as only root's access does?) and, for an offset past 0xFF, a dword at 0x100 (does
// the function have extended space?). `write`: the failed access was a write. The size of the
// function's space goes to `*space_size` for kBeyondSpace.
FailureCause DiagnoseFailure(const hw::HardwareAccess& access, const RegisterTarget& target,
                             bool write, uint32_t* space_size);

}  // namespace qbus::regs
