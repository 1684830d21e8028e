// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up of the whole program: from process start to the first selection form waiting for
// input, and the bus scan of a machine where every one of the 65,536 functions answers.
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <spawn.h>
#include <stdlib.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "app/program.h"
#include "bench/bench_child.h"
#include "hw/library_binding.h"
#include "scan/bus_scan.h"
#include "ui/window_layer.h"

namespace {

// Starts this benchmark binary as a child that runs the program and says "ready" on its
// standard output when the first form waits; returns the seconds from spawn to that word.
double TimeToFirstForm(const char* library, benchmark::State& state) {
  int pipe_ends[2];
  if (pipe(pipe_ends) != 0) return 0;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], 1);
  posix_spawn_file_actions_addclose(&actions, pipe_ends[0]);
  char self[] = "/proc/self/exe";
  char flag[] = "--first-form-child";
  std::string library_copy = library;
  char* argv[] = {self, flag, library_copy.data(), nullptr};
  const auto start = std::chrono::steady_clock::now();
  pid_t pid;
  const int spawned = posix_spawn(&pid, self, &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipe_ends[1]);
  char word[8] = {};
  const bool ready = spawned == 0 && read(pipe_ends[0], word, 5) == 5;
  const auto end = std::chrono::steady_clock::now();
  close(pipe_ends[0]);
  if (spawned == 0) waitpid(pid, nullptr, 0);
  if (!ready) state.SkipWithError("the program did not reach its first form");
  return std::chrono::duration<double>(end - start).count();
}

void StartToFirstForm(benchmark::State& state, const char* library) {
  for (auto _ : state) state.SetIterationTime(TimeToFirstForm(library, state));
}

void BM_OffscreenStartToFirstFormRealLibrary(benchmark::State& state) {
  StartToFirstForm(state, QBUS_REAL_LIBRARY);
}
void BM_OffscreenStartToFirstFormSimulatedMachine(benchmark::State& state) {
  unsetenv("QUORILBUS_SIM_DUMP");
  StartToFirstForm(state, QBUS_SIM_LIBRARY);
}

// Every bus, device and function answers: the list gets 65,536 lines.
void BM_InProcessScanWhereEveryFunctionAnswers(benchmark::State& state) {
  const std::string dump = "/tmp/quoril-bus-bench-full.dump";
  {
    std::ofstream out(dump);
    char header[32];
    for (int location = 0; location < 0x10000; ++location) {
      std::snprintf(header, sizeof header, "%02x:%02x.%d Device\n", location >> 8,
                    (location >> 3) & 31, location & 7);
      out << header << "00: 86 80 34 12\n\n";
    }
  }
  setenv("QUORILBUS_SIM_DUMP", dump.c_str(), 1);
  for (auto _ : state) {
    qbus::ui::WindowLayer layer;
    layer.OpenMainWindow(0, 0, 0, 1000, 430, "bench", qbus::ui::kMainWindowFlags);
    layer.MakeFont(1, "Arial", 9);
    qbus::hw::LoadedLibrary library;
    if (!qbus::hw::BindFile(
            QBUS_SIM_LIBRARY, [](auto&, auto&) {}, &library)) {
      state.SkipWithError("the simulated machine did not load");
      break;
    }
    const auto start = std::chrono::steady_clock::now();
    qbus::scan::RunBusScan(layer, library.access);
    const auto end = std::chrono::steady_clock::now();
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    qbus::hw::Unbind(&library);
  }
  unsetenv("QUORILBUS_SIM_DUMP");
  std::remove(dump.c_str());
}

BENCHMARK(BM_OffscreenStartToFirstFormRealLibrary)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OffscreenStartToFirstFormSimulatedMachine)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InProcessScanWhereEveryFunctionAnswers)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace

namespace qbus::bench {

int RunFirstFormChild(const char* library) {
  ui::WindowLayer* current = nullptr;
  ui::WindowLayer layer({0, [&current] {
                           std::fputs("ready", stdout);
                           std::fflush(stdout);
                           current->RaiseEvent(ui::kCloseEvent, 0, 0, 0);
                         }});
  current = &layer;
  return app::RunProgram(layer, library);
}

}  // namespace qbus::bench
