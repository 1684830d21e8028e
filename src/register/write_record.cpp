// SPDX-License-Identifier: GPL-3.0-or-later
#include "register/write_record.h"

#include "config_space/write_record_line.h"
#include "register/write_journal.h"

namespace qbus::regs {
namespace {

config_space::RegisterWrite WriteOf(const RegisterTarget& target, uint32_t before, uint32_t value) {
  return {target.location, target.offset, static_cast<uint32_t>(WidthBytes(target.width)), before,
          value};
}

void Record(const AccessEnvironment& environment, const std::string& line) {
  if (environment.record_write) environment.record_write(line);
}

}  // namespace

WriteOutcome WriteRecorded(const hw::HardwareAccess& access, const AccessEnvironment& environment,
                           const RegisterTarget& target, uint32_t before, uint32_t value) {
  Record(environment, FormatWriteIntent(target, before, value));
  WriteOutcome outcome;
  outcome.written = WriteRegister(access, target, value);
  uint32_t read_back = 0;
  if (ReadRegister(access, target, &read_back)) outcome.read_back = read_back;
  Record(environment,
         FormatWriteOutcome(target, before, value, outcome.written, outcome.read_back));
  if (environment.journal != nullptr) {
    environment.journal->Add(
        {TimeOfDay(), target, before, value, outcome.written, outcome.read_back});
  }
  return outcome;
}

std::string FormatWriteIntent(const RegisterTarget& target, uint32_t before, uint32_t value) {
  return config_space::WriteIntentLine(WriteOf(target, before, value));
}

std::string FormatWriteOutcome(const RegisterTarget& target, uint32_t before, uint32_t value,
                               bool written, std::optional<uint32_t> read_back) {
  return config_space::WriteOutcomeLine(WriteOf(target, before, value), written, read_back);
}

}  // namespace qbus::regs
