// SPDX-License-Identifier: GPL-3.0-or-later
#include "scan/device_line.h"

#include "text/number_text.h"
#include "text/register_texts.h"
#include "text/text_ops.h"

namespace qbus::scan {

std::string FormatDeviceLine(int bus, int device, int function, uint32_t value) {
  const std::string identifiers = text::HexField(value, 8);
  // Built in place: a scan where every function answers makes 65,536 of these lines.
  std::string line;
  line.reserve(100);
  line.append("Bus-Nr. = 0x").append(text::HexField(bus, 2));
  line.append(" ,  Device-Nr. = 0x").append(text::HexField(device, 2));
  line.append(" ,  Funktions-Nr. = 0x").append(text::HexText(function));
  line.append(" :  Vendor = 0x").append(text::TextSlice(identifiers, 5, 4));
  line.append(" ,  Device = 0x").append(text::TextSlice(identifiers, 1, 4));
  return line;
}

}  // namespace qbus::scan
