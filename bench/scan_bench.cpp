// SPDX-License-Identifier: GPL-3.0-or-later
// The full 65,536-probe port scan through each access library (in-process), next to one whole
// `lspci -n` (its process: start, libpci's set-up and scan, output, end; its CPU counted).
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include "bench/baseline_reporter.h"
#include "bench/children_cpu.h"
#include "hw/library_binding.h"

namespace {

void Report(const std::string& title, const std::string& text) {
  std::fprintf(stderr, "%s %s\n", title.c_str(), text.c_str());
}

// Loads the library at `path` for the whole benchmark, or skips it.
bool Load(benchmark::State& state, const char* path, qbus::hw::LoadedLibrary* library) {
  if (qbus::hw::BindFile(path, Report, library)) return true;
  state.SkipWithError("the access library cannot be initialised here");
  return false;
}

void ScanAllFunctions(benchmark::State& state, const char* path) {
  qbus::hw::LoadedLibrary library;
  if (!Load(state, path, &library)) return;
  const qbus::hw::HardwareAccess& access = library.access;
  uint32_t found = 0;
  for (auto _ : state) {
    uint32_t address = 0x80000000;
    uint32_t value = 0;
    found = 0;
    for (int probe = 0; probe < 0x10000; ++probe, address += 0x100) {
      access.WriteIoPortDwordEx(0xCF8, address);
      access.ReadIoPortDwordEx(0xCFC, &value);
      found += value != 0xFFFFFFFF;
    }
    benchmark::DoNotOptimize(found);
  }
  state.counters["functions"] = found;
  state.counters["ns_per_probe"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * 0x10000,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  qbus::hw::Unbind(&library);
}

void BM_InProcessFullScanRealLibrary(benchmark::State& state) {
  ScanAllFunctions(state, QBUS_REAL_LIBRARY);
}
void BM_InProcessFullScanSimulatedLibrary(benchmark::State& state) {
  unsetenv("QUORILBUS_SIM_TRACE");
  ScanAllFunctions(state, QBUS_SIM_LIBRARY);
}

// One probe of a function that does not exist (bus 255, device 31, function 7).
void BM_InProcessAbsentProbeRealLibrary(benchmark::State& state) {
  qbus::hw::LoadedLibrary library;
  if (!Load(state, QBUS_REAL_LIBRARY, &library)) return;
  uint32_t value = 0;
  for (auto _ : state) {
    library.access.WriteIoPortDwordEx(0xCF8, 0x80FFFF00);
    library.access.ReadIoPortDwordEx(0xCFC, &value);
    benchmark::DoNotOptimize(value);
  }
  qbus::hw::Unbind(&library);
}

// One whole run of `lspci -n`, output discarded, for comparison with the full scan.
void BM_WholeProcessLspciRun(benchmark::State& state) {
  char program[] = "lspci";
  char flag[] = "-n";
  char* argv[] = {program, flag, nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  const double children_before = qbus::bench::WaitedChildrenCpuSeconds();
  for (auto _ : state) {
    pid_t pid;
    if (posix_spawnp(&pid, program, &actions, nullptr, argv, environ) != 0) {
      state.SkipWithError("lspci is not installed");
      break;
    }
    int status;
    waitpid(pid, &status, 0);
  }
  state.counters[qbus::bench::kChildrenCpu] =
      qbus::bench::WaitedChildrenCpuSeconds() - children_before;
  posix_spawn_file_actions_destroy(&actions);
}

BENCHMARK(BM_InProcessFullScanRealLibrary)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_InProcessFullScanSimulatedLibrary)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_InProcessAbsentProbeRealLibrary);
BENCHMARK(BM_WholeProcessLspciRun)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace
