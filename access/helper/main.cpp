// SPDX-License-Identifier: GPL-3.0-or-later
// quoril-bus-helper: the only part of Quoril Bus that runs as root. It does PCI configuration
// reads and writes for the elevated access library and nothing else, over the frames of
// helper_protocol.h on its standard input and output, and ends when its input closes (the
// window quit or crashed). It takes no arguments and trusts nothing it inherits: environment,
// descriptors, current directory and core dumps are all put right before libpci starts.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include "access/common/helper_server.h"
#include "access/linux/core.h"

namespace {

void DropInheritance() {
  prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
  const rlimit no_core{0, 0};
  setrlimit(RLIMIT_CORE, &no_core);
  clearenv();
  close_range(3, ~0u, 0);
  if (chdir("/") != 0) std::_Exit(1);
  // A reply to a window that is gone ends the session through the failed write, not a signal.
  std::signal(SIGPIPE, SIG_IGN);
}

}  // namespace

int main(int argc, char**) {
  DropInheritance();
  if (argc > 1) {
    std::fputs("quoril-bus-helper: takes no arguments\n", stderr);
    return 2;
  }
  qbus::access::linux_pci::Core core;
  const bool ready = core.Init();
  qbus::access::helper::Serve(STDIN_FILENO, STDOUT_FILENO, ready, core);
  return ready ? 0 : 1;
}
