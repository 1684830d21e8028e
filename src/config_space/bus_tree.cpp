// SPDX-License-Identifier: GPL-3.0-or-later
#include "config_space/bus_tree.h"

#include <algorithm>
#include <map>
#include <set>

#include "config_space/value_meanings.h"

namespace qbus::config_space {
namespace {

// The PCI Express capability and the offsets of its registers.
constexpr int kExpressId = 0x10;
constexpr uint32_t kExpressCapabilities = 0x02;
constexpr uint32_t kLinkCapabilities = 0x0C;
constexpr uint32_t kLinkStatus = 0x12;
constexpr int kIntegratedEndpoint = 9;
constexpr int kEventCollector = 10;

int BusOf(const BusFunction& function) { return static_cast<int>(function.location >> 8); }
int DeviceOf(const BusFunction& function) {
  return static_cast<int>(function.location >> 3 & 0x1F);
}

// Its link's registers describe the link below it, to device 0 of its secondary bus.
bool IsDownstreamPort(const BusFunction& function) {
  const int type = function.link ? function.link->port_type : -1;
  return IsBridge(function) && (type == 4 || type == 6 || type == 8);
}

// The other end of `function`'s link, when the tree holds it.
const ExpressLink* OtherEnd(std::span<const BusFunction> functions, const BusFunction& function) {
  if (IsDownstreamPort(function)) {
    const BusFunction* below = nullptr;
    for (const BusFunction& other : functions) {
      if (BusOf(other) == function.secondary && DeviceOf(other) == 0 && other.link &&
          (below == nullptr || other.location < below->location)) {
        below = &other;
      }
    }
    return below != nullptr ? &*below->link : nullptr;
  }
  if (DeviceOf(function) != 0) return nullptr;
  for (const BusFunction& other : functions) {
    if (IsDownstreamPort(other) && other.secondary == BusOf(function) &&
        BusOf(other) != other.secondary) {
      return &*other.link;
    }
  }
  return nullptr;
}

std::string SpeedAndWidth(int speed, int width) {
  return MeaningOf(Meaning::kLinkSpeed, static_cast<uint32_t>(speed), 0, {}) + " " +
         MeaningOf(Meaning::kLinkWidth, static_cast<uint32_t>(width), 0, {});
}

class TreeWalk {
 public:
  explicit TreeWalk(std::span<const BusFunction> functions) : functions_(functions) {
    for (size_t i = 0; i < functions.size(); ++i) on_bus_[BusOf(functions[i])].push_back(i);
    for (auto& [bus, members] : on_bus_) {
      std::sort(members.begin(), members.end(),
                [&](size_t a, size_t b) { return functions[a].location < functions[b].location; });
    }
  }

  std::vector<BusTreeLine> Build() {
    // A bus is a root unless some bridge on another bus leads to it.
    std::set<int> led_to;
    for (const BusFunction& function : functions_) {
      if (IsBridge(function) && function.secondary != BusOf(function)) {
        led_to.insert(function.secondary);
      }
    }
    for (const auto& [bus, members] : on_bus_) {
      if (led_to.count(bus) == 0) Root(bus);
    }
    // Buses only reachable through a loop of bridges still show, as roots.
    for (const auto& [bus, members] : on_bus_) {
      if (walked_.count(bus) == 0) Root(bus);
    }
    return std::move(lines_);
  }

 private:
  void Root(int bus) {
    lines_.push_back({0, bus, -1});
    Bus(bus, 1);
  }

  void Bus(int bus, int depth) {
    if (!walked_.insert(bus).second) return;
    const auto found = on_bus_.find(bus);
    if (found == on_bus_.end()) return;
    for (size_t index : found->second) {
      lines_.push_back({depth, -1, static_cast<int>(index)});
      const BusFunction& function = functions_[index];
      if (IsBridge(function) && walked_.count(function.secondary) == 0) {
        Bus(function.secondary, depth + 1);
      }
    }
  }

  std::span<const BusFunction> functions_;
  std::map<int, std::vector<size_t>> on_bus_;
  std::set<int> walked_;
  std::vector<BusTreeLine> lines_;
};

}  // namespace

bool IsBridge(const BusFunction& function) {
  return (function.header_type == 1 || function.header_type == 2) && function.secondary != 0;
}

std::vector<BusTreeLine> BuildBusTree(std::span<const BusFunction> functions) {
  return TreeWalk(functions).Build();
}

std::optional<ExpressLink> ReadExpressLink(const ConfigLayout& layout, const ConfigReader& read) {
  for (const CapabilityAt& capability : layout.capabilities) {
    if (capability.extended || capability.id != kExpressId) continue;
    const auto express = read(capability.offset + kExpressCapabilities, 2);
    const int type = express ? static_cast<int>(*express >> 4 & 0xF) : -1;
    if (type < 0 || type == kIntegratedEndpoint || type == kEventCollector) return std::nullopt;
    const auto capable = read(capability.offset + kLinkCapabilities, 4);
    const auto status = read(capability.offset + kLinkStatus, 2);
    if (!capable || !status) return std::nullopt;
    return ExpressLink{type, static_cast<int>(*capable & 0xF),
                       static_cast<int>(*capable >> 4 & 0x3F), static_cast<int>(*status & 0xF),
                       static_cast<int>(*status >> 4 & 0x3F)};
  }
  return std::nullopt;
}

std::string LinkText(std::span<const BusFunction> functions, size_t index) {
  const BusFunction& function = functions[index];
  if (!function.link) return {};
  const ExpressLink& link = *function.link;
  std::string text = "link " + SpeedAndWidth(link.max_speed, link.max_width);
  if (link.width == 0) return text + ", down";
  text += ", running " + SpeedAndWidth(link.speed, link.width);
  const ExpressLink* other = OtherEnd(functions, function);
  if (other != nullptr && (link.speed < std::min(link.max_speed, other->max_speed) ||
                           link.width < std::min(link.max_width, other->max_width))) {
    text += " - below what both ends can";
  }
  return text;
}

}  // namespace qbus::config_space
