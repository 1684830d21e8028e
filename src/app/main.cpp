// SPDX-License-Identifier: GPL-3.0-or-later
// quoril-bus: lists the machine's PCI functions, then reads, edits, writes and verifies one
// configuration register at a time. It takes no arguments (any given are ignored) and always
// exits with 0. It is meant to run as the user, with the elevated access library reaching the
// hardware through the root helper; started as root, it first sheds what the caller passed on.
#include <cstdio>
#include <unistd.h>

#include "access/common/system_log.h"
#include "app/program.h"
#include "app/root_environment.h"
#include "hw/library_binding.h"
#include "hw/library_search.h"
#include "ui/application.h"
#include "ui/window_layer.h"

int main() {
  // Before anything changes the directory: a relative LD_LIBRARY_PATH means the caller's.
  const qbus::hw::LibraryChoice library =
      qbus::hw::ChooseLibraryFile(qbus::hw::LibraryFileName(qbus::hw::ProcessArchitecture()));
  if (!library.refusal.empty()) {
    std::fprintf(stderr, "quoril-bus: %s: not loading any other access library\n",
                 library.refusal.c_str());
  }
  qbus::app::HardenRootProcess();
  qbus::app::KeepDbusFromAutolaunching();
  qbus::ui::Application application;
  qbus::ui::WindowLayer layer;
  qbus::access::SystemLog log;
  const qbus::regs::AccessEnvironment environment{
      [&log](const std::string& line) { log.Record(line); }, {}, {}, nullptr};
  // An empty file name (a refused search) fails as a library that cannot be opened.
  return qbus::app::RunProgram(layer, library.file, environment);
}
