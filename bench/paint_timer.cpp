// SPDX-License-Identifier: GPL-3.0-or-later
// Times a program as its user waits for it: from exec to its settled form, the last drawing
// into a window of its own (the DAMAGE extension reports each) after which nothing is drawn for
// 200 ms while the program computes nothing. Then reads its peak resident memory, ends it and
// takes its CPU with that of every process it started: those it left behind (a root helper) are
// taken in as this timer's own children, and waited for until they end.
//   quoril-bus-paint-timer COMMAND [ARGUMENT...]    prints "MILLISECONDS CPU_MS RESIDENT_KIB"
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <signal.h>
#include <string>
#include <sys/prctl.h>
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

// Waits for what the program left behind: a helper ends once its channel closes. A child still
// there after 3 s is killed.
void ReapLeftBehind() {
  for (int tries = 0; tries < 300; ++tries) {
    const pid_t reaped = waitpid(-1, nullptr, WNOHANG);
    if (reaped < 0) return;  // no child left
    if (reaped == 0) usleep(10'000);
  }
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    std::getline(stat, line);
    const size_t name_end = line.rfind(')');
    pid_t parent = 0;
    if (name_end == std::string::npos ||
        std::sscanf(line.c_str() + name_end + 1, " %*c %d", &parent) != 1 || parent != getpid()) {
      continue;
    }
    kill(static_cast<pid_t>(std::strtol(entry.path().filename().c_str(), nullptr, 10)), SIGKILL);
  }
  while (waitpid(-1, nullptr, 0) > 0) {
  }
}

}  // namespace

int main(int argc, char** argv) {
  using qbus::bench::Clock;
  if (argc < 2) return 2;
  qbus::bench::DamageWatch watch;
  if (!watch.ok()) return 2;
  // Orphans of the program come here, so that their CPU is counted when they are reaped.
  if (prctl(PR_SET_CHILD_SUBREAPER, 1) != 0) return 2;

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
  waitpid(pid, nullptr, 0);
  ReapLeftBehind();
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  std::printf("%.1f %.1f %ld\n",
              std::chrono::duration<double, std::milli>(*settled - start).count(),
              Milliseconds(usage.ru_utime) + Milliseconds(usage.ru_stime), resident);
  return 0;
}
