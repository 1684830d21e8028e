// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace qbus {

// One PCI function of domain 0, and its packed form as the access libraries' configuration
// entry points take it: bus << 8 | device << 3 | function (0 to 0xFFFF).
struct PciLocation {
  uint32_t bus = 0;       // 0 to 255
  uint32_t device = 0;    // 0 to 31
  uint32_t function = 0;  // 0 to 7

  // Fields beyond their ranges are cut to them.
  constexpr uint32_t Packed() const {
    return (bus & 0xFF) << 8 | (device & 0x1F) << 3 | (function & 7);
  }
  // Bits above 15 are ignored.
  static constexpr PciLocation Unpack(uint32_t packed) {
    return {packed >> 8 & 0xFF, packed >> 3 & 0x1F, packed & 7};
  }
  friend constexpr bool operator==(const PciLocation&, const PciLocation&) = default;
};

static_assert(PciLocation{0x12, 0x1F, 7}.Packed() == 0x12FF);
static_assert(PciLocation::Unpack(0x02FF) == PciLocation{2, 31, 7});

}  // namespace qbus
