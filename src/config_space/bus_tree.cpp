// SPDX-License-Identifier: GPL-3.0-or-later
#include "config_space/bus_tree.h"

#include <algorithm>
#include <map>
#include <set>

namespace qbus::config_space {
namespace {

int BusOf(const BusFunction& function) { return static_cast<int>(function.location >> 8); }

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

}  // namespace qbus::config_space
