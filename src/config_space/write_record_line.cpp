// SPDX-License-Identifier: GPL-3.0-or-later
#include "config_space/write_record_line.h"

#include "config_space/function_dump.h"
#include "text/access_width.h"
#include "text/register_texts.h"

namespace qbus::config_space {
namespace {

AccessWidth WidthOf(const RegisterWrite& write) {
  return write.width == 1   ? AccessWidth::kByte
         : write.width == 2 ? AccessWidth::kWord
                            : AccessWidth::kDWord;
}

std::string Hex(std::optional<uint32_t> value, AccessWidth width) {
  return value ? text::HexLiteral(*value, 2 * WidthBytes(width)) : "none";
}

}  // namespace

std::string WriteIntentLine(const RegisterWrite& write) {
  const AccessWidth width = WidthOf(write);
  return "write " + LocationText(write.location) + " offset=" + text::HexLiteral(write.offset, 4) +
         " width=" + WidthName(width) + " before=" + Hex(write.before, width) +
         " value=" + Hex(write.value, width);
}

std::string WriteOutcomeLine(const RegisterWrite& write, bool written,
                             std::optional<uint32_t> after) {
  const char* result = !written ? "write-failed" : !after ? "read-back-failed" : "ok";
  return WriteIntentLine(write) + " after=" + Hex(after, WidthOf(write)) + " result=" + result;
}

}  // namespace qbus::config_space
