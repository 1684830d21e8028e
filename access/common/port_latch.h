// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>

#include "access/common/config_access.h"

// Emulates configuration mechanism #1 over a configuration read: a dword written to port 0xCF8
// is latched, and a dword read of port 0xCFC reads the configuration dword it addresses.
namespace qbus::access {

// Where a latched address points. Bits 30..24 (reserved) and 1..0 are ignored.
struct LatchedTarget {
  bool enabled;       // bit 31
  uint32_t location;  // bus << 8 | device << 3 | function
  uint32_t offset;    // register offset, a multiple of 4
};

class PortLatch {
 public:
  // Latches `value` when `port` is 0xCF8 and returns true; any other port returns false and
  // changes nothing.
  bool Write(uint32_t port, uint32_t value);

  // Port 0xCF8 reads back the latched value; port 0xCFC gives `read_dword(location, offset)`
  // for an enabled address, or all-ones when the call gives nothing (no such function) or the
  // enable bit is clear, as a floating bus reads. Other ports give nothing.
  template <typename ReadDword>
  std::optional<uint32_t> Read(uint32_t port, ReadDword read_dword) const {
    if (port == kAddressPort) return latched_;
    if (port != kDataPort) return std::nullopt;
    const LatchedTarget target = Target();
    if (!target.enabled) return 0xFFFFFFFFu;
    return read_dword(target.location, target.offset).value_or(0xFFFFFFFFu);
  }

  LatchedTarget Target() const {
    return {(latched_ & 0x80000000u) != 0, (latched_ >> 8) & 0xFFFF, latched_ & 0xFC};
  }

 private:
  uint32_t latched_ = 0;
};

}  // namespace qbus::access
