// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up of the whole program on the offscreen platform (whole process: spawn to the first
// selection form waiting for input, its CPU to that moment counted), next to a bare window
// started the same way; and the bus scan of a machine where every one of the 65,536 functions
// answers (in-process).
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <spawn.h>
#include <stdlib.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/program.h"
#include "bench/baseline_reporter.h"
#include "bench/bench_child.h"
#include "hw/library_binding.h"
#include "scan/bus_scan.h"
#include "ui/window_layer.h"

namespace {

// One start of this benchmark binary as a child given `mode` (and `library`), which writes
// "ready CPU_MICROSECONDS" on its standard output when its window waits for input. The seconds
// from spawn to that line, and the child's CPU seconds to it in `cpu`; 0 when it never came.
double TimeToReady(const char* mode, const char* library, double* cpu) {
  int pipe_ends[2];
  if (pipe(pipe_ends) != 0) return 0;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], 1);
  posix_spawn_file_actions_addclose(&actions, pipe_ends[0]);
  char self[] = "/proc/self/exe";
  std::string mode_copy = mode;
  std::string library_copy = library;
  char* argv[] = {self, mode_copy.data(), library_copy.data(), nullptr};
  const auto start = std::chrono::steady_clock::now();
  pid_t pid;
  const int spawned = posix_spawn(&pid, self, &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipe_ends[1]);
  std::string line;
  char piece[64];
  ssize_t got = 0;
  while (spawned == 0 && line.find('\n') == std::string::npos &&
         (got = read(pipe_ends[0], piece, sizeof piece)) > 0) {
    line.append(piece, static_cast<size_t>(got));
  }
  const auto end = std::chrono::steady_clock::now();
  close(pipe_ends[0]);
  if (spawned == 0) waitpid(pid, nullptr, 0);
  long microseconds = -1;
  if (std::sscanf(line.c_str(), "ready %ld", &microseconds) != 1) return 0;
  *cpu = static_cast<double>(microseconds) * 1e-6;
  return std::chrono::duration<double>(end - start).count();
}

void StartToReady(benchmark::State& state, const char* mode, const char* library) {
  double children_cpu = 0;
  for (auto _ : state) {
    double cpu = 0;
    const double seconds = TimeToReady(mode, library, &cpu);
    if (seconds == 0) {
      state.SkipWithError("the child did not reach its waiting window");
      return;
    }
    state.SetIterationTime(seconds);
    children_cpu += cpu;
  }
  state.counters[qbus::bench::kChildrenCpu] = children_cpu;
}

void BM_WholeProcessOffscreenStartToFirstFormRealLibrary(benchmark::State& state) {
  StartToReady(state, "--first-form-child", QBUS_REAL_LIBRARY);
}
void BM_WholeProcessOffscreenStartToFirstFormSimulatedMachine(benchmark::State& state) {
  unsetenv("QUORILBUS_SIM_DUMP");
  StartToReady(state, "--first-form-child", QBUS_SIM_LIBRARY);
}
// The same binary's start to the window layer's main window of the program's size holding one
// button, waiting: what any start costs before the program's own work.
void BM_WholeProcessOffscreenStartToBareWindow(benchmark::State& state) {
  StartToReady(state, "--bare-window-child", "");
}

// Every bus, device and function answers: the list gets 65,536 lines. Only the scan is timed,
// wall and CPU; the window and the machine are made and undone outside it.
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
    state.PauseTiming();
    auto layer = std::make_unique<qbus::ui::WindowLayer>();
    layer->OpenMainWindow(0, 0, 0, 1000, 430, "bench", qbus::ui::kMainWindowFlags);
    layer->MakeFont(1, "Arial", 9);
    qbus::hw::LoadedLibrary library;
    if (!qbus::hw::BindFile(
            QBUS_SIM_LIBRARY, [](auto&, auto&) {}, &library)) {
      state.ResumeTiming();
      state.SkipWithError("the simulated machine did not load");
      break;
    }
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    qbus::scan::RunBusScan(*layer, library.access);
    const auto end = std::chrono::steady_clock::now();
    state.PauseTiming();
    qbus::hw::Unbind(&library);
    layer.reset();
    state.ResumeTiming();
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
  }
  unsetenv("QUORILBUS_SIM_DUMP");
  std::remove(dump.c_str());
}

BENCHMARK(BM_WholeProcessOffscreenStartToFirstFormRealLibrary)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WholeProcessOffscreenStartToFirstFormSimulatedMachine)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WholeProcessOffscreenStartToBareWindow)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InProcessScanWhereEveryFunctionAnswers)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// "ready CPU_MICROSECONDS" on standard output: this process's CPU so far, all its threads.
void SayReady() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const long microseconds = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000L +
                            usage.ru_utime.tv_usec + usage.ru_stime.tv_usec;
  std::printf("ready %ld\n", microseconds);
  std::fflush(stdout);
}

}  // namespace

namespace qbus::bench {

int RunFirstFormChild(const char* library) {
  ui::WindowLayer* current = nullptr;
  ui::WindowLayer layer({0, [&current] {
                           SayReady();
                           current->RaiseEvent(ui::kCloseEvent, 0, 0, 0);
                         }});
  current = &layer;
  return app::RunProgram(layer, library);
}

int RunBareWindowChild() {
  ui::WindowLayer* current = nullptr;
  ui::WindowLayer layer({0, [&current] {
                           SayReady();
                           current->RaiseEvent(ui::kCloseEvent, 0, 0, 0);
                         }});
  current = &layer;
  if (layer.OpenMainWindow(0, 0, 0, 1000, 430, "bare", ui::kMainWindowFlags) == 0) return 1;
  layer.CreateButtonControl(1, 10, 10, 200, 45, "bare");
  layer.WaitEvent();
  return 0;
}

}  // namespace qbus::bench
