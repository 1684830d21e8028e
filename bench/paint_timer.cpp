// SPDX-License-Identifier: GPL-3.0-or-later
// Times a program as its user waits for it: from exec to its settled form, the last drawing
// into a window of its own (the DAMAGE extension reports each) after which nothing is drawn for
// 200 ms while the program computes nothing. Then reads its peak resident memory, ends it and
// takes its CPU (with any children it waited for) from wait4.
//   quoril-bus-paint-timer COMMAND [ARGUMENT...]    prints "MILLISECONDS CPU_MS RESIDENT_KIB"
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <signal.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "bench/damage_watch.h"

namespace {

long PeakResidentKib(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return -1;
}

double Milliseconds(const timeval& time) {
  return static_cast<double>(time.tv_sec) * 1e3 + static_cast<double>(time.tv_usec) * 1e-3;
}

}  // namespace

int main(int argc, char** argv) {
  using qbus::bench::Clock;
  if (argc < 2) return 2;
  qbus::bench::DamageWatch watch;
  if (!watch.ok()) return 2;

  const Clock::time_point start = Clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    execvp(argv[1], argv + 1);
    _exit(127);
  }
  qbus::bench::DamageWatch::Settle settle;
  settle.pid = pid;
  settle.deadline = start + std::chrono::seconds(60);
  settle.gone = [pid] { return waitpid(pid, nullptr, WNOHANG) == pid; };
  const auto settled = watch.WaitSettled(settle);
  if (!settled) {
    std::fprintf(stderr, "paint-timer: %s ended or did not settle\n", argv[1]);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return 1;
  }
  const long resident = PeakResidentKib(pid);
  kill(pid, SIGTERM);
  rusage usage{};
  wait4(pid, nullptr, 0, &usage);
  std::printf("%.1f %.1f %ld\n",
              std::chrono::duration<double, std::milli>(*settled - start).count(),
              Milliseconds(usage.ru_utime) + Milliseconds(usage.ru_stime), resident);
  return 0;
}
