// SPDX-License-Identifier: GPL-3.0-or-later
#include "names/shared_names.h"

#include <future>
#include <memory>

namespace qbus::names {
namespace {

std::shared_ptr<DeviceNames> Parse() {
  auto names = std::make_shared<DeviceNames>();
  names->VendorName(0);  // libpci reads the file at the first lookup
  return names;
}

// Ends with the process, after waiting for a parse still under way.
std::shared_future<std::shared_ptr<DeviceNames>>& Loading() {
  static std::shared_future<std::shared_ptr<DeviceNames>> loading;
  return loading;
}

}  // namespace

void StartLoadingNames() {
  if (!Loading().valid()) Loading() = std::async(std::launch::async, Parse).share();
}

DeviceNames& SharedNames() {
  if (!Loading().valid()) Loading() = std::async(std::launch::deferred, Parse).share();
  return *Loading().get();
}

}  // namespace qbus::names
