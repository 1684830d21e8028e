// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/bus_tree_reading.h"

#include <cstdio>
#include <optional>

#include "config_space/bus_tree.h"
#include "config_space/function_dump.h"
#include "config_space/header_offsets.h"
#include "names/device_names.h"
#include "register/register_access.h"

namespace qbus::app {
namespace {

namespace header = config_space::header;

// What the tree shows of one function.
struct TreeFunction {
  config_space::BusFunction node;
  uint32_t ids = 0;      // vendor in the low half, device in the high half
  uint32_t classes = 0;  // revision, interface, subclass, class
};

// Reads `location`'s fields; on a failed read, nothing, and its offset in `*failed_at`.
std::optional<TreeFunction> ReadFunction(const hw::HardwareAccess& access, uint32_t location,
                                         uint32_t* failed_at) {
  const config_space::ConfigReader read = regs::FunctionReader(access, location);
  const auto take = [&](uint32_t offset, uint32_t width, uint32_t* value) {
    const std::optional<uint32_t> got = read(offset, width);
    if (!got) {
      *failed_at = offset;
      return false;
    }
    *value = *got;
    return true;
  };
  TreeFunction function{{location, -1}};
  uint32_t type = 0, buses = 0;
  if (!take(header::kVendorId, 4, &function.ids) ||
      !take(header::kRevisionId, 4, &function.classes) || !take(header::kHeaderType, 1, &type)) {
    return std::nullopt;
  }
  function.node.header_type = static_cast<int>(type & 0x7F);
  if (function.node.header_type == 1 || function.node.header_type == 2) {
    // The primary, secondary and subordinate bus numbers in one dword.
    if (!take(header::kPrimaryBus, 4, &buses)) return std::nullopt;
    function.node.secondary = static_cast<int>(buses >> 8 & 0xFF);
    function.node.subordinate = static_cast<int>(buses >> 16 & 0xFF);
  }
  return function;
}

std::string Hex2(int value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02x", value & 0xFF);
  return text;
}

// "00:1c.0 [01-03] PCI bridge: Intel Corporation ...".
std::string FunctionText(const TreeFunction& function, uint32_t domain, names::DeviceNames& names) {
  std::string text = config_space::LocationText(function.node.location, domain);
  if (config_space::IsBridge(function.node)) {
    text += " [" + Hex2(function.node.secondary);
    if (function.node.subordinate != function.node.secondary) {
      text += "-" + Hex2(function.node.subordinate);
    }
    text += "]";
  }
  return text + " " +
         names.DumpHeading(static_cast<uint16_t>(function.ids),
                           static_cast<uint16_t>(function.ids >> 16),
                           static_cast<uint8_t>(function.classes >> 24),
                           static_cast<uint8_t>(function.classes >> 16));
}

// "the access helper has ended", or what reading the function again finds.
std::string WhyUnread(const hw::HardwareAccess& access, uint32_t location, uint32_t offset) {
  uint32_t space_size = 0;
  const regs::FailureCause cause = regs::DiagnoseFailure(
      access, {AccessWidth::kDWord, location, offset, {}}, false, &space_size);
  return regs::ReadFailureReason(cause, offset, space_size);
}

}  // namespace

BusTreeReading ReadBusTree(const hw::HardwareAccess& access,
                           const std::vector<scan::ListedFunction>& functions) {
  const uint32_t domain = access.GetPciDomainEx != nullptr ? access.GetPciDomainEx() : 0;
  BusTreeReading reading;
  std::vector<TreeFunction> read;
  std::vector<config_space::BusFunction> nodes;
  for (const scan::ListedFunction& listed : functions) {
    uint32_t failed_at = 0;
    const std::optional<TreeFunction> function = ReadFunction(access, listed.location, &failed_at);
    if (!function) {
      reading.failure = config_space::LocationText(listed.location, domain) +
                        " could not be read: " + WhyUnread(access, listed.location, failed_at) +
                        ".";
      return reading;
    }
    read.push_back(*function);
    nodes.push_back(function->node);
  }
  names::DeviceNames names;
  for (const config_space::BusTreeLine& line : config_space::BuildBusTree(nodes)) {
    if (line.function < 0) {
      char root[24];
      std::snprintf(root, sizeof root, "[%04x:%02x]", domain, line.bus);
      reading.lines.push_back({line.depth, root, -1});
      continue;
    }
    const size_t at = static_cast<size_t>(line.function);
    reading.lines.push_back({line.depth, FunctionText(read[at], domain, names), line.function});
  }
  return reading;
}

}  // namespace qbus::app
