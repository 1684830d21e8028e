// SPDX-License-Identifier: GPL-3.0-or-later
#include "scan/device_finder.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <sstream>

#include "access/common/pci_location.h"
#include "names/shared_names.h"

namespace qbus::scan {
namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

DeviceFinder::DeviceFinder(std::vector<ListedFunction> functions)
    : functions_(std::move(functions)) {}

DeviceFinder::~DeviceFinder() = default;

std::vector<ui::ListChoice> DeviceFinder::Find(const std::string& typed) {
  if (lines_.empty() && !functions_.empty()) {
    names::DeviceNames& database = names::SharedNames();
    for (const ListedFunction& function : functions_) {
      const PciLocation at = PciLocation::Unpack(function.location);
      const auto vendor = static_cast<uint16_t>(function.identifiers);
      const auto device = static_cast<uint16_t>(function.identifiers >> 16);
      char head[40];
      std::snprintf(head, sizeof head, "%02x:%02x.%x  %04x:%04x  ", at.bus, at.device, at.function,
                    vendor, device);
      lines_.push_back(head + database.Describe(vendor, device));
      lowered_.push_back(Lower(lines_.back()));
    }
  }
  std::vector<std::string> words;
  std::istringstream split(Lower(typed));
  for (std::string word; split >> word;) words.push_back(word);
  std::vector<ui::ListChoice> choices;
  for (size_t row = 0; row < lines_.size(); ++row) {
    const std::string& lower = lowered_[row];
    if (std::all_of(words.begin(), words.end(), [&](const std::string& word) {
          return lower.find(word) != std::string::npos;
        })) {
      choices.push_back({lines_[row], static_cast<int>(row)});
    }
  }
  return choices;
}

}  // namespace qbus::scan
