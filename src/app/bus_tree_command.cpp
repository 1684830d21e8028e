// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/bus_tree_command.h"

#include "app/bus_tree_reading.h"
#include "controls/control_table.h"

namespace qbus::app {
namespace {

void ShowBusTree(ui::WindowLayer& layer, const hw::HardwareAccess& access,
                 const std::vector<scan::ListedFunction>& functions) {
  BusTreeReading reading = ReadBusTree(access, functions);
  if (!reading.failure.empty()) {
    layer.ShowMessage("Bus tree", reading.failure);
    return;
  }
  ui::BusTreeContent content;
  content.lines = std::move(reading.lines);
  content.select = [&layer](int row) { layer.SelectListLine(controls::kDeviceList, row); };
  layer.ShowBusTree(content);
}

}  // namespace

ui::CommandOffer OfferBusTree(ui::WindowLayer& layer, const hw::HardwareAccess& access,
                              const std::vector<scan::ListedFunction>& functions) {
  return layer.OfferCommand(controls::kDeviceList, "Bus tree...", [&layer, &access, &functions] {
    ShowBusTree(layer, access, functions);
  });
}

}  // namespace qbus::app
