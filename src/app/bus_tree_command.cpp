// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/bus_tree_command.h"

#include "app/bus_tree_reading.h"
#include "controls/control_table.h"

namespace qbus::app {
namespace {

void ShowBusTree(ui::WindowLayer& layer, const hw::HardwareAccess& access,
                 const std::vector<scan::ListedFunction>& functions,
                 std::optional<regs::GoToRequest>& go_to) {
  BusTreeReading reading = ReadBusTree(access, functions);
  if (!reading.failure.empty()) {
    layer.ShowMessage("Bus tree", reading.failure);
    return;
  }
  ui::BusTreeContent content;
  content.lines = std::move(reading.lines);
  content.select = [&layer](int row) { layer.SelectListLine(controls::kDeviceList, row); };
  // The form takes the function at its next Go to register event; after READ that action is
  // refused, and says so.
  content.activate = [&layer, &functions, &go_to](int row) {
    go_to = regs::GoToRequest{};  // no register: the selectors only
    go_to->location = functions[static_cast<size_t>(row)].location;
    if (layer.TriggerAction(controls::kOffsetSelector, ui::kGoToRequested)) return true;
    go_to.reset();
    return false;
  };
  layer.ShowBusTree(content);
}

}  // namespace

ui::CommandOffer OfferBusTree(ui::WindowLayer& layer, const hw::HardwareAccess& access,
                              const std::vector<scan::ListedFunction>& functions,
                              std::optional<regs::GoToRequest>& go_to) {
  return layer.OfferCommand(
      controls::kDeviceList, "Bus tree...",
      [&layer, &access, &functions, &go_to] { ShowBusTree(layer, access, functions, go_to); });
}

}  // namespace qbus::app
