// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/journal_command.h"

#include <map>

#include "config_space/field_setting.h"
#include "config_space/register_names.h"
#include "controls/control_table.h"
#include "register/field_plan.h"

namespace qbus::app {
namespace {

using Registers = std::map<uint32_t, std::vector<config_space::RegisterEntry>>;

const std::vector<config_space::RegisterEntry>& RegistersOf(const hw::HardwareAccess& access,
                                                            uint32_t location, Registers& known) {
  auto found = known.find(location);
  if (found == known.end()) {
    const auto layout = config_space::ReadConfigLayout(regs::FunctionReader(access, location));
    found = known.emplace(location, config_space::ListRegisters(layout)).first;
  }
  return found->second;
}

// "PCI Express Device Control", or "Command and Status": the registers a write covered.
std::string NamesCovering(const std::vector<config_space::RegisterEntry>& entries,
                          const regs::RegisterTarget& target) {
  std::string names;
  const uint32_t end = target.offset + static_cast<uint32_t>(WidthBytes(target.width));
  for (const config_space::RegisterEntry& entry : entries) {
    if (entry.offset < end && entry.offset + static_cast<uint32_t>(entry.size) > target.offset) {
      names += (names.empty() ? "" : " and ") + entry.label;
    }
  }
  return names;
}

void ShowJournal(ui::WindowLayer& layer, const hw::HardwareAccess& access,
                 const regs::WriteJournal& journal, std::optional<regs::GoToRequest>& go_to) {
  Registers known;
  std::vector<std::string> lines;
  for (const regs::JournalEntry& entry : journal.Entries()) {
    const auto& entries = RegistersOf(access, entry.target.location, known);
    lines.push_back(regs::FormatJournalLine(entry, NamesCovering(entries, entry.target)));
  }
  const std::optional<int> chosen = layer.ShowJournal(lines);
  if (!chosen) return;
  const regs::JournalEntry& entry = journal.Entries()[static_cast<size_t>(*chosen)];
  const regs::RegisterTarget& target = entry.target;
  const config_space::BitKinds kinds = config_space::BitKindsOf(
      RegistersOf(access, target.location, known), target.offset, WidthBytes(target.width));
  go_to = regs::GoToRequest{
      target.location, regs::GoToTarget{target.offset, target.width},
      regs::RestorePlan(kinds, target.width, entry.before, "Restoring the write of " + entry.time)};
  if (!layer.TriggerAction(controls::kOffsetSelector, ui::kGoToRequested)) go_to.reset();
}

}  // namespace

std::vector<ui::CommandOffer> OfferJournal(ui::WindowLayer& layer, const hw::HardwareAccess& access,
                                           const regs::WriteJournal& journal,
                                           std::optional<regs::GoToRequest>& go_to) {
  const auto show = [&layer, &access, &journal, &go_to] {
    ShowJournal(layer, access, journal, go_to);
  };
  std::vector<ui::CommandOffer> offers;
  offers.push_back(layer.OfferCommand(ui::WindowLayer::kWindowCommand, "Ctrl+J", show));
  offers.push_back(layer.OfferCommand(controls::kDeviceList, "Journal of writes...", show));
  return offers;
}

}  // namespace qbus::app
