// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <vector>

#include "config_space/dump_file.h"

// Which bits of a simulated function's configuration space take a write, built from the
// function's own bytes and the register tables (src/config_space), the same layout the names
// and the decoded tree read:
//   - every register the tables name in the header of the function's type and in each
//     capability it has, within the capability's length: each field as the tables give it
//     (read-only and reserved, read-write, write-one-to-clear); a capability the tables do not
//     know has its header read-only;
//   - BARs and expansion ROM keep their type bits and their size: the size is the alignment of
//     the address the dump holds (a zero address counts as 4 KiB memory or 32 bytes of I/O); a
//     BAR of 0 is not implemented and reads 0; the upper half of a 64-bit BAR is writable;
//   - the rest of the device-specific space (0x40 up) and of extended space (0x100 up):
//     writable, so tests have scratch registers;
//   - bytes the dump does not give stay all-ones.
namespace qbus::access::sim {

struct WriteMasks {
  std::vector<uint8_t> writable;      // bits a write replaces
  std::vector<uint8_t> clear_on_one;  // bits a written 1 clears
};

WriteMasks BuildWriteMasks(const config_space::FunctionImage& image);

// The byte after a write of `written` to a byte holding `old` under the two masks.
constexpr uint8_t ApplyWrite(uint8_t old, uint8_t written, uint8_t writable, uint8_t clear_on_one) {
  const uint8_t kept =
      old & static_cast<uint8_t>(~writable) & static_cast<uint8_t>(~(written & clear_on_one));
  return static_cast<uint8_t>(kept | (written & writable));
}

}  // namespace qbus::access::sim
