// SPDX-License-Identifier: GPL-3.0-or-later
#include "access/helper/write_record.h"

#include <cstdio>

#include "access/common/pci_location.h"

namespace qbus::access::helper {
namespace {

std::string Hex(std::optional<uint32_t> value, uint32_t width) {
  if (!value) return "none";
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*X", static_cast<int>(2 * width), *value);
  return text;
}

}  // namespace

std::string FormatWriteRecord(const WriteRecord& record, std::optional<uid_t> uid) {
  const PciLocation at = PciLocation::Unpack(record.location);
  char head[64];
  std::snprintf(head, sizeof head, "write %02x:%02x.%x offset=0x%04X width=%s", at.bus, at.device,
                at.function, record.offset,
                record.width == 1   ? "Byte"
                : record.width == 2 ? "Word"
                                    : "DWord");
  return std::string(head) + " before=" + Hex(record.before, record.width) +
         " value=" + Hex(record.value, record.width) + " after=" + Hex(record.after, record.width) +
         " result=" + (record.written ? "ok" : "write-failed") +
         " uid=" + (uid ? std::to_string(*uid) : "unknown");
}

}  // namespace qbus::access::helper
