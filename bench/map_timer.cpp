// SPDX-License-Identifier: GPL-3.0-or-later
// Times how long a window takes to appear after an input, as the user waits for it: runs the
// command (an xdotool key press), waits for a new top-level window to be mapped, and then for
// the screen to settle: the last drawing into any window after which nothing is drawn for
// 200 ms (and, given --pid, while that process computes nothing). The watching blocks on the X
// server rather than polling it. With --drawn no window need be mapped: the first drawing into
// any window, new or already on the screen, starts the wait for the screen to settle, for what
// an input changes in a window that is already there.
//   quoril-bus-map-timer [--drawn] [--pid PID] COMMAND [ARGUMENT...]     prints "SETTLED_MS"
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
  const bool drawn = argc > first && std::strcmp(argv[first], "--drawn") == 0;
  if (drawn) ++first;
  pid_t watched = -1;
  if (argc > first + 2 && std::strcmp(argv[first], "--pid") == 0) {
    watched = static_cast<pid_t>(std::strtol(argv[first + 1], nullptr, 10));
    first += 2;
  }
  if (argc <= first) return 2;
  qbus::bench::DamageWatch watch;
  if (!watch.ok()) return 2;
  if (drawn) watch.WatchExisting();

  const Clock::time_point start = Clock::now();
  const pid_t child = fork();
  if (child == 0) {
    execvp(argv[first], argv + first);
    _exit(127);
  }
  qbus::bench::DamageWatch::Settle settle;
  settle.after_map = !drawn;
  settle.pid = watched;
  settle.deadline = start + std::chrono::seconds(20);
  const auto settled = watch.WaitSettled(settle);
  waitpid(child, nullptr, 0);
  if (!settled) return 1;
  std::printf("%.1f\n", std::chrono::duration<double, std::milli>(*settled - start).count());
  return 0;
}
