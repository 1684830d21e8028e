// SPDX-License-Identifier: GPL-3.0-or-later
#include "names/shared_names.h"

#include <future>

namespace qbus::names {
namespace {

// Kept for the process's life: what the names point into lives as long.
DeviceNames* Parse() {
  auto* names = new DeviceNames();
  names->VendorName(0);  // libpci reads the file at the first lookup
  return names;
}

std::shared_future<DeviceNames*>& Loading() {
  static std::shared_future<DeviceNames*> loading;
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
