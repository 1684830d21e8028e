// SPDX-License-Identifier: GPL-3.0-or-later
#include "register/write_record.h"

#include "config_space/write_record_line.h"

namespace qbus::regs {
namespace {

config_space::RegisterWrite WriteOf(const RegisterTarget& target, uint32_t before, uint32_t value) {
  return {target.location, target.offset, static_cast<uint32_t>(WidthBytes(target.width)), before,
          value};
}

}  // namespace

std::string FormatWriteIntent(const RegisterTarget& target, uint32_t before, uint32_t value) {
  return config_space::WriteIntentLine(WriteOf(target, before, value));
}

std::string FormatWriteOutcome(const RegisterTarget& target, uint32_t before, uint32_t value,
                               bool written, std::optional<uint32_t> read_back) {
  return config_space::WriteOutcomeLine(WriteOf(target, before, value), written, read_back);
}

}  // namespace qbus::regs
