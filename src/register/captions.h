// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace qbus::regs {

// The caption of a selector value, "0x" + hex + " (" + decimal + ")":
//   bus and device: two hex digits ("0x0A (10)"), function: one digit ("0x7 (7)"),
//   register offset: four digits ("0xFFFC (65532)").
// A selector's field shows its caption followed by one blank; result lines show it without.
std::string BusCaption(int64_t bus);
std::string DeviceCaption(int64_t device);
std::string FunctionCaption(int64_t function);
std::string OffsetCaption(int64_t offset);

// The four captions of the location being accessed, taken once per READ.
struct LocationCaptions {
  std::string bus, device, function, address;
};

}  // namespace qbus::regs
