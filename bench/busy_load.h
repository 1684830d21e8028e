// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/types.h>

namespace qbus::bench {

// Two processes per processor that only compute, for as long as the object lives: the load a
// busy machine puts beside what is timed. They run in a session of their own, as another
// program's work does: the scheduler shares the processors between sessions first, and the root
// helper has its own, so load inside this process's session would weigh on this process alone.
class BusyLoad {
 public:
  BusyLoad();
  // Ends every busy process, and waits until they are gone.
  ~BusyLoad();
  BusyLoad(const BusyLoad&) = delete;
  BusyLoad& operator=(const BusyLoad&) = delete;

 private:
  pid_t leader_ = -1;  // the session's leader, which ends the rest when told to (SIGTERM)
};

}  // namespace qbus::bench
