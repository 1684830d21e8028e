// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/copy_restore.h"

#include "config_space/field_setting.h"
#include "config_space/function_dump.h"
#include "config_space/register_names.h"
#include "register/go_to_register.h"
#include "register/write_record.h"
#include "text/register_texts.h"

namespace qbus::app {
namespace {

namespace cs = config_space;

uint32_t Value(const std::vector<uint8_t>& bytes, uint32_t offset, int size) {
  uint32_t value = 0;
  for (int i = 0; i < size; ++i)
    value |= uint32_t{bytes[offset + static_cast<uint32_t>(i)]} << (8 * i);
  return value;
}

std::vector<cs::RegisterEntry> RegistersOf(const std::vector<uint8_t>& now) {
  return cs::ListRegisters(cs::ReadConfigLayout(cs::ReaderOver(now)));
}

}  // namespace

std::vector<RestoreStep> PlanRestore(const std::vector<uint8_t>& now,
                                     const std::vector<uint8_t>& copy,
                                     const std::vector<bool>& held) {
  const std::vector<cs::RegisterEntry> entries = RegistersOf(now);
  std::vector<RestoreStep> steps;
  for (const cs::RegisterEntry& entry : entries) {
    const uint32_t end = entry.offset + static_cast<uint32_t>(entry.size);
    if (end > now.size() || end > copy.size()) continue;
    if (WidthBytes(regs::TargetOf(entry.offset, entry.size).width) != entry.size) continue;
    bool whole = true;
    for (uint32_t at = entry.offset; at < end && !held.empty(); ++at) whole = whole && held[at];
    if (!whole) continue;
    const cs::BitKinds kinds = cs::BitKindsOf(entries, entry.offset, entry.size);
    const uint32_t mask = cs::RestorableBits(kinds, entry.size);
    const uint32_t wanted = Value(copy, entry.offset, entry.size);
    if (((Value(now, entry.offset, entry.size) ^ wanted) & mask) == 0) continue;
    steps.push_back({entry.offset, entry.size, wanted,
                     entry.label + " (" + text::OffsetLiteral(entry.offset) + ")"});
  }
  return steps;
}

std::string RestoreRegister(const hw::HardwareAccess& access,
                            const regs::AccessEnvironment& environment, uint32_t location,
                            const RestoreStep& step, const std::vector<uint8_t>& now) {
  const regs::RegisterTarget target{
      regs::TargetOf(step.offset, step.size).width, location, step.offset, {}};
  uint32_t reading = 0;
  if (!regs::ReadRegister(access, target, &reading)) return "could not be read";
  const std::vector<cs::RegisterEntry> entries = RegistersOf(now);
  const cs::BitKinds kinds = cs::BitKindsOf(entries, step.offset, step.size);
  const uint32_t value =
      cs::ComposeWrite(kinds, reading, cs::RestorableBits(kinds, step.size), step.wanted).value;
  const regs::WriteOutcome outcome =
      regs::WriteRecorded(access, environment, target, reading, value);
  const int digits = 2 * step.size;
  const std::string change =
      text::HexLiteral(reading, digits) + " -> " + text::HexLiteral(value, digits) + ", ";
  if (!outcome.written) return change + "refused";
  if (!outcome.read_back) return change + "read back failed";
  const uint32_t mask = cs::RestorableBits(kinds, step.size);
  return change + "read back " + text::HexLiteral(*outcome.read_back, digits) +
         ((*outcome.read_back ^ step.wanted) & mask ? " (differs from the copy)"
                                                    : " (as the copy)");
}

}  // namespace qbus::app
