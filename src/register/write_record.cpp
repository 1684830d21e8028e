// SPDX-License-Identifier: GPL-3.0-or-later
#include "register/write_record.h"

#include "access/common/pci_location.h"
#include "text/register_texts.h"

namespace qbus::regs {
namespace {

std::string Hex(uint32_t value, AccessWidth width) {
  return text::HexLiteral(value, 2 * WidthBytes(width));
}

}  // namespace

std::string FormatWriteIntent(const RegisterTarget& target, uint32_t before, uint32_t value) {
  const PciLocation location = PciLocation::Unpack(target.location);
  return "write " + text::HexField(location.bus, 2) + ":" + text::HexField(location.device, 2) +
         "." + text::HexField(location.function, 1) + " offset=0x" +
         text::HexField(target.offset, 4) + " width=" + WidthName(target.width) +
         " before=" + Hex(before, target.width) + " value=" + Hex(value, target.width);
}

std::string FormatWriteOutcome(const RegisterTarget& target, uint32_t before, uint32_t value,
                               bool written, std::optional<uint32_t> read_back) {
  const char* result = written && read_back ? "ok"
                       : read_back          ? "write-failed"
                       : written            ? "read-back-failed"
                                            : "write-and-read-back-failed";
  return FormatWriteIntent(target, before, value) +
         " after=" + (read_back ? Hex(*read_back, target.width) : "none") + " result=" + result;
}

}  // namespace qbus::regs
