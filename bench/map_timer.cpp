// SPDX-License-Identifier: GPL-3.0-or-later
// Times how long a window takes to appear after an input, as the user waits for it: runs the
// command (an xdotool key press), waits for a new top-level window to be mapped, and then for
// the screen to settle: the last drawing into any window after which nothing is drawn for
// 200 ms (and, given --pid, while that process computes nothing). The watching blocks on the X
// server rather than polling it.
//   quoril-bus-map-timer [--pid PID] COMMAND [ARGUMENT...]     prints "SETTLED_MS"
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/wait.h>
#include <unistd.h>

#include "bench/damage_watch.h"

int main(int argc, char** argv) {
  using qbus::bench::Clock;
  int first = 1;
  pid_t watched = -1;
  if (argc > 3 && std::strcmp(argv[1], "--pid") == 0) {
    watched = static_cast<pid_t>(std::strtol(argv[2], nullptr, 10));
    first = 3;
  }
  if (argc <= first) return 2;
  qbus::bench::DamageWatch watch;
  if (!watch.ok()) return 2;

  const Clock::time_point start = Clock::now();
  const pid_t child = fork();
  if (child == 0) {
    execvp(argv[first], argv + first);
    _exit(127);
  }
  qbus::bench::DamageWatch::Settle settle;
  settle.after_map = true;
  settle.pid = watched;
  settle.deadline = start + std::chrono::seconds(20);
  const auto settled = watch.WaitSettled(settle);
  waitpid(child, nullptr, 0);
  if (!settled) return 1;
  std::printf("%.1f\n", std::chrono::duration<double, std::milli>(*settled - start).count());
  return 0;
}
