#pragma once

#include <cstdint>

#include "hw/hardware_access.h"
#include "register/captions.h"
#include "text/access_width.h"

namespace qbus::regs {

// The register one cycle reads and writes, fixed at READ.
struct RegisterTarget {
  AccessWidth width = AccessWidth::kDWord;
  uint32_t location = 0;  // bus << 8 | device << 3 | function
  uint32_t offset = 0;    // byte offset, aligned to the width
  LocationCaptions captions;
};

// Reads the register through the width's read entry into `*value` (the entry stores what it
// read; its result is not examined, so a failed read shows what the library left there).
void ReadRegister(const hw::HardwareAccess& access, const RegisterTarget& target, uint32_t* value);

// Writes the width's low bits of `value` through the width's write entry; the result is not
// examined.
void WriteRegister(const hw::HardwareAccess& access, const RegisterTarget& target, uint32_t value);

}  // namespace qbus::regs
