// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/bus_tree_command.h"

#include <cstdio>

#include "config_space/bus_tree.h"
#include "config_space/function_dump.h"
#include "config_space/header_offsets.h"
#include "controls/control_table.h"
#include "names/device_names.h"
#include "register/register_access.h"

namespace qbus::app {
namespace {

namespace header = config_space::header;

std::string Hex2(int value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02x", value & 0xFF);
  return text;
}

// "00:1c.0 [01-03] PCI bridge: Intel Corporation ...", the bus numbers only for a bridge.
std::string FunctionText(const config_space::BusFunction& function,
                         const config_space::ConfigReader& read, uint32_t domain,
                         names::DeviceNames& names) {
  std::string text = config_space::LocationText(function.location, domain);
  if (config_space::IsBridge(function)) {
    text += " [" + Hex2(function.secondary);
    if (function.subordinate != function.secondary) text += "-" + Hex2(function.subordinate);
    text += "]";
  }
  // The identifiers' dword, and the class dword: revision, interface, subclass, class.
  const std::optional<uint32_t> ids = read(header::kVendorId, 4),
                                classes = read(header::kRevisionId, 4);
  if (ids && classes) {
    text += " " + names.DumpHeading(static_cast<uint16_t>(*ids), static_cast<uint16_t>(*ids >> 16),
                                    static_cast<uint8_t>(*classes >> 24),
                                    static_cast<uint8_t>(*classes >> 16));
  }
  return text;
}

void ShowBusTree(ui::WindowLayer& layer, const hw::HardwareAccess& access,
                 const std::vector<scan::ListedFunction>& functions) {
  const uint32_t domain = access.GetPciDomainEx != nullptr ? access.GetPciDomainEx() : 0;
  std::vector<config_space::BusFunction> nodes;
  std::vector<config_space::ConfigReader> readers;
  for (const scan::ListedFunction& listed : functions) {
    readers.push_back(regs::FunctionReader(access, listed.location));
    config_space::BusFunction node{listed.location, -1};
    if (const std::optional<uint32_t> type = readers.back()(header::kHeaderType, 1))
      node.header_type = *type & 0x7F;
    if (node.header_type == 1 || node.header_type == 2) {
      // The primary, secondary and subordinate bus numbers in one dword.
      if (const std::optional<uint32_t> buses = readers.back()(header::kPrimaryBus, 4)) {
        node.secondary = static_cast<int>(*buses >> 8 & 0xFF);
        node.subordinate = static_cast<int>(*buses >> 16 & 0xFF);
      }
    }
    nodes.push_back(node);
  }
  names::DeviceNames names;
  ui::BusTreeContent content;
  for (const config_space::BusTreeLine& line : config_space::BuildBusTree(nodes)) {
    if (line.function < 0) {
      char root[24];
      std::snprintf(root, sizeof root, "[%04x:%02x]", domain, line.bus);
      content.lines.push_back({line.depth, root, -1});
      continue;
    }
    const size_t at = static_cast<size_t>(line.function);
    content.lines.push_back(
        {line.depth, FunctionText(nodes[at], readers[at], domain, names), line.function});
  }
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
