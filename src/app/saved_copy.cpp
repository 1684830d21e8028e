// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/saved_copy.h"

#include "config_space/dump_file.h"

namespace qbus::app {

SavedFunction ReadSavedFunction(const std::string& path, uint32_t location, uint32_t domain) {
  const config_space::ParsedDump dump = config_space::LoadDumpFile(path, domain);
  SavedFunction copy;
  if (!dump.error.empty()) {
    copy.error = "Cannot compare with the copy: " + dump.error + ".";
    return copy;
  }
  auto found = dump.functions.find(location);
  if (found == dump.functions.end()) found = dump.functions.begin();
  copy.location = found->first;
  const config_space::FunctionImage& image = found->second;
  size_t end = image.held.size();
  while (end > 0 && !image.held[end - 1]) --end;
  copy.bytes.assign(image.bytes.begin(), image.bytes.begin() + static_cast<std::ptrdiff_t>(end));
  copy.held.assign(image.held.begin(), image.held.begin() + static_cast<std::ptrdiff_t>(end));
  return copy;
}

}  // namespace qbus::app
