// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/bus_tree_reading.h"

#include <cstdio>
#include <optional>

#include "config_space/bus_tree.h"
#include "config_space/function_dump.h"
#include "config_space/header_offsets.h"
#include "names/shared_names.h"
#include "register/register_access.h"

namespace qbus::app {
namespace {

namespace header = config_space::header;

// What the tree reads of each function: the header and the standard capability list, where the
// PCI Express capability lies.
constexpr uint32_t kTreeBytes = 0x100;

// What the tree shows of one function.
struct TreeFunction {
  config_space::BusFunction node;
  uint32_t ids = 0;      // vendor in the low half, device in the high half
  uint32_t classes = 0;  // revision, interface, subclass, class
};

// Functions read to a call of the library: 256 KiB at a time.
constexpr size_t kFunctionsPerCall = 1024;

// Takes the fields of `location` from its reading. On a failed read, nothing, and the offset
// where the reading stopped in `*failed_at`. `*link_needs_root` tells a link that lies past the
// 64 bytes a library reads without root.
std::optional<TreeFunction> TakeFunction(uint32_t location, regs::FunctionSpace space,
                                         uint32_t* failed_at, bool* link_needs_root) {
  if (!space.whole) {
    *failed_at = static_cast<uint32_t>(space.bytes.size());
    return std::nullopt;
  }
  // A whole reading holds at least the 64 bytes of the header.
  const config_space::ConfigReader read = config_space::ReaderOver(std::move(space.bytes));
  const auto field = [&](uint32_t offset, uint32_t width) {
    return read(offset, width).value_or(0);
  };
  const config_space::ConfigLayout layout = config_space::ReadConfigLayout(read);
  TreeFunction function{
      {location, layout.header_type}, field(header::kVendorId, 4), field(header::kRevisionId, 4)};
  if (function.node.header_type == 1 || function.node.header_type == 2) {
    // The primary, secondary and subordinate bus numbers in one dword.
    const uint32_t buses = field(header::kPrimaryBus, 4);
    function.node.secondary = static_cast<int>(buses >> 8 & 0xFF);
    function.node.subordinate = static_cast<int>(buses >> 16 & 0xFF);
  }
  function.node.link = config_space::ReadExpressLink(layout, read);
  *link_needs_root = layout.names_need_root;
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

// Why a read of `location` at `offset` failed: the helper's fault, or what reading the function
// again finds.
regs::FailureCause WhyUnread(const hw::HardwareAccess& access, uint32_t location, uint32_t offset,
                             uint32_t* space_size) {
  return regs::DiagnoseFailure(access, {AccessWidth::kDWord, location, offset, {}}, false,
                               space_size);
}

}  // namespace

BusTreeReading ReadBusTree(const hw::HardwareAccess& access,
                           const std::vector<scan::ListedFunction>& functions) {
  const uint32_t domain = access.GetPciDomainEx != nullptr ? access.GetPciDomainEx() : 0;
  BusTreeReading reading;
  std::vector<TreeFunction> read;
  std::vector<config_space::BusFunction> nodes;
  bool links_need_root = false;
  std::vector<uint32_t> locations;
  for (const scan::ListedFunction& listed : functions) locations.push_back(listed.location);
  regs::FunctionStarts starts(access, std::move(locations), kTreeBytes, kFunctionsPerCall);
  for (size_t index = 0; index < functions.size(); ++index) {
    const scan::ListedFunction& listed = functions[index];
    uint32_t failed_at = 0;
    bool link_needs_root = false;
    const std::optional<TreeFunction> function =
        TakeFunction(listed.location, starts.Take(index), &failed_at, &link_needs_root);
    if (!function) {
      uint32_t space_size = 0;
      const regs::FailureCause cause = WhyUnread(access, listed.location, failed_at, &space_size);
      reading.failure =
          config_space::LocationText(listed.location, domain) +
          " could not be read: " + regs::ReadFailureReason(cause, failed_at, space_size) + ".";
      return reading;
    }
    // Without root the library reads the first 64 bytes only, of every function alike: the tree
    // is drawn, without links.
    links_need_root = links_need_root || link_needs_root;
    read.push_back(*function);
    nodes.push_back(function->node);
  }
  if (links_need_root) {
    const std::string why =
        regs::ReadFailureReason(regs::FailureCause::kNeedsRoot, header::kHeaderEnd, 0);
    reading.lines.push_back({0, "Link speeds and widths not shown: reading them " + why + ".", -1});
  }
  names::DeviceNames& names = names::SharedNames();
  for (const config_space::BusTreeLine& line : config_space::BuildBusTree(nodes)) {
    if (line.function < 0) {
      char root[24];
      std::snprintf(root, sizeof root, "[%04x:%02x]", domain, line.bus);
      reading.lines.push_back({line.depth, root, -1});
      continue;
    }
    const size_t at = static_cast<size_t>(line.function);
    std::string text = FunctionText(read[at], domain, names);
    const std::string link = config_space::LinkText(nodes, at);
    if (!link.empty()) text += " (" + link + ")";
    reading.lines.push_back({line.depth, std::move(text), line.function});
  }
  return reading;
}

}  // namespace qbus::app
