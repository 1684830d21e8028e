// SPDX-License-Identifier: GPL-3.0-or-later
// The elevated library's core with its root helper (started directly, so no password dialog
// stands in the way; as whoever runs the benchmark), next to the in-process real library: the
// helper's start-up, the full port scan, one present read and a whole function's space. The
// reads and the scan run on an idle machine (/0) and beside two busy processes per processor
// (/1), which is where a spinning exchange lost to the work it waits for.
#include <algorithm>
#include <benchmark/benchmark.h>
#include <csignal>
#include <memory>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "access/elevated/core.h"
#include "hw/library_binding.h"

namespace {

using qbus::access::elevated::Core;

// Two processes per processor that only compute, for as long as the object lives (none when
// `loaded` is 0).
class BusyLoad {
 public:
  explicit BusyLoad(int64_t loaded) {
    const unsigned count = loaded ? 2 * std::max(1u, std::thread::hardware_concurrency()) : 0;
    for (unsigned i = 0; i < count; ++i) {
      const pid_t pid = fork();
      if (pid == 0) {
        for (unsigned long spin = 0;; ++spin) benchmark::DoNotOptimize(spin);
      }
      if (pid > 0) children_.push_back(pid);
    }
  }
  ~BusyLoad() {
    for (pid_t pid : children_) kill(pid, SIGKILL);
    for (pid_t pid : children_) waitpid(pid, nullptr, 0);
  }
  BusyLoad(const BusyLoad&) = delete;
  BusyLoad& operator=(const BusyLoad&) = delete;

 private:
  std::vector<pid_t> children_;
};
using qbus::access::elevated::SpawnHelper;

// A core connected to a freshly started helper, or nothing (with the benchmark skipped).
std::unique_ptr<Core> StartCore(benchmark::State& state) {
  const auto channel = SpawnHelper({QBUS_HELPER});
  auto core = channel ? std::make_unique<Core>(*channel) : nullptr;
  if (core == nullptr || !core->Init()) {
    state.SkipWithError("the helper cannot start or reach PCI here");
    return nullptr;
  }
  return core;
}

// Spawn, libpci's set-up and enumeration in the helper, the announcement, and the helper's end.
void BM_WholeProcessElevatedHelperStart(benchmark::State& state) {
  for (auto _ : state) {
    if (StartCore(state) == nullptr) return;
  }
}

void BM_ElevatedFullScan(benchmark::State& state) {
  const auto core = StartCore(state);
  if (core == nullptr) return;
  const BusyLoad load(state.range(0));
  uint32_t found = 0;
  for (auto _ : state) {
    found = 0;
    uint32_t address = 0x80000000;
    for (int probe = 0; probe < 0x10000; ++probe, address += 0x100) {
      core->WritePort(0xCF8, address);
      found += core->ReadPort(0xCFC).value_or(0) != 0xFFFFFFFF;
    }
    benchmark::DoNotOptimize(found);
  }
  state.counters["functions"] = found;
}

// Reads 00:00.0's identifier dword, a round trip to the helper and a read of the device.
void BM_ElevatedPresentRead(benchmark::State& state) {
  const auto core = StartCore(state);
  if (core == nullptr) return;
  const BusyLoad load(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(core->ReadConfig(0, 0, 4));
}

// What the function view reads when it opens: 00:00.0's whole space (4096 bytes where the kernel
// gives it extended space), in one round trip.
void BM_ElevatedFunctionSpaceRead(benchmark::State& state) {
  const auto core = StartCore(state);
  if (core == nullptr) return;
  const BusyLoad load(state.range(0));
  std::vector<uint8_t> space(4096);
  uint32_t bytes = 0;
  for (auto _ : state) bytes = core->ReadSpace(0, space.data(), 4096);
  state.counters["bytes"] = bytes;
}

void Report(const std::string&, const std::string&) {}

void BM_InProcessPresentReadRealLibrary(benchmark::State& state) {
  qbus::hw::LoadedLibrary library;
  if (!qbus::hw::BindFile(QBUS_REAL_LIBRARY, Report, &library)) {
    state.SkipWithError("the access library cannot be initialised here");
    return;
  }
  uint32_t value = 0;
  const BusyLoad load(state.range(0));
  for (auto _ : state) {
    library.access.ReadPciConfigDwordEx(0, 0, &value);
    benchmark::DoNotOptimize(value);
  }
  qbus::hw::Unbind(&library);
}

BENCHMARK(BM_WholeProcessElevatedHelperStart)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ElevatedFullScan)->Unit(benchmark::kMillisecond)->ArgName("loaded")->Arg(0)->Arg(1);
BENCHMARK(BM_ElevatedPresentRead)->Unit(benchmark::kMicrosecond)->ArgName("loaded")->Arg(0)->Arg(1);
BENCHMARK(BM_ElevatedFunctionSpaceRead)
    ->Unit(benchmark::kMillisecond)
    ->ArgName("loaded")
    ->Arg(0)
    ->Arg(1);
BENCHMARK(BM_InProcessPresentReadRealLibrary)
    ->Unit(benchmark::kMicrosecond)
    ->ArgName("loaded")
    ->Arg(0)
    ->Arg(1);

}  // namespace
