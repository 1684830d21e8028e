// SPDX-License-Identifier: GPL-3.0-or-later
#include "scan/device_line.h"

#include "text/number_text.h"
#include "text/register_texts.h"
#include "text/text_ops.h"

namespace qbus::scan {

std::string FormatDeviceLine(int bus, int device, int function, uint32_t value) {
  const std::string identifiers = text::HexField(value, 8);
  return "Bus-Nr. = 0x" + text::HexField(bus, 2) + " ,  Device-Nr. = 0x" +
         text::HexField(device, 2) + " ,  Funktions-Nr. = 0x" + text::HexText(function) +
         " :  Vendor = 0x" + text::TextSlice(identifiers, 5, 4) + " ,  Device = 0x" +
         text::TextSlice(identifiers, 1, 4);
}

}  // namespace qbus::scan
