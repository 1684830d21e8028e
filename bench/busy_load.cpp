// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/busy_load.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <csignal>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace qbus::bench {
namespace {

// The leader's life: starts the busy processes, waits for SIGTERM (its own or, through the
// parent-death signal, the benchmark's end), then ends and reaps them.
[[noreturn]] void LeadBusyProcesses(unsigned count) {
  sigset_t term;
  sigemptyset(&term);
  sigaddset(&term, SIGTERM);
  sigprocmask(SIG_BLOCK, &term, nullptr);
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  setsid();
  std::vector<pid_t> busy;
  for (unsigned i = 0; i < count; ++i) {
    const pid_t pid = fork();
    if (pid == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      for (unsigned long spin = 0;; ++spin) benchmark::DoNotOptimize(spin);
    }
    if (pid > 0) busy.push_back(pid);
  }
  int signal = 0;
  sigwait(&term, &signal);
  for (pid_t pid : busy) kill(pid, SIGKILL);
  for (pid_t pid : busy) waitpid(pid, nullptr, 0);
  _exit(0);
}

}  // namespace

BusyLoad::BusyLoad() {
  const unsigned count = 2 * std::max(1u, std::thread::hardware_concurrency());
  leader_ = fork();
  if (leader_ == 0) LeadBusyProcesses(count);
}

BusyLoad::~BusyLoad() {
  if (leader_ <= 0) return;
  kill(leader_, SIGTERM);
  waitpid(leader_, nullptr, 0);
}

}  // namespace qbus::bench
