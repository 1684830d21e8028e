// SPDX-License-Identifier: GPL-3.0-or-later
// The elevated library and its root helper (as whoever runs the benchmark), whole process: the
// CPU column counts the helper's. The helper's start goes through the library and pkexec, as the
// program's does, with a stand-in for pkexec that asks for no password (run_bench.sh puts it at
// /usr/bin/pkexec in a private mount namespace); a real pkexec adds its authentication. The
// reads start the helper directly, since pkexec leaves nothing behind once it has started it,
// and run back to back on an idle machine; helper_waits.cpp times them one at a time as a user
// waits, idle and under load, against the in-process real library. The bus tree of many
// functions is read both ways over one fake /sys/bus/pci.
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sched.h>
#include <string>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

#include "access/elevated/core.h"
#include "app/bus_tree_reading.h"
#include "bench/baseline_reporter.h"
#include "bench/children_cpu.h"
#include "hw/library_binding.h"

namespace {

using qbus::access::elevated::Core;
using qbus::access::elevated::SpawnHelper;
using qbus::bench::kChildrenCpu;
using qbus::bench::WaitedChildrenCpuSeconds;

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

void Report(const std::string&, const std::string&) {}

// The elevated library's load and InitializeOls: pkexec's stand-in, the helper's libpci set-up
// and enumeration, its announcement; then DeinitializeOls, the helper's end, the unload.
void BM_WholeProcessElevatedHelperStartThroughPkexecStandIn(benchmark::State& state) {
  if (std::getenv("QBUS_BENCH_PKEXEC_STAND_IN") == nullptr) {
    state.SkipWithError("needs the stand-in for pkexec: run bench/run_bench.sh");
    return;
  }
  const double children_before = WaitedChildrenCpuSeconds();
  for (auto _ : state) {
    qbus::hw::LoadedLibrary library;
    if (!qbus::hw::BindFile(QBUS_ELEVATED_LIBRARY, Report, &library)) {
      state.SkipWithError("the elevated library cannot start its helper here");
      return;
    }
  }
  state.counters[kChildrenCpu] = WaitedChildrenCpuSeconds() - children_before;
}

// The helper's CPU counts from its start (a few milliseconds, spread over the iterations) to its
// end, which comes when `core` goes.
void CountHelperCpu(benchmark::State& state, std::unique_ptr<Core> core, double children_before) {
  core.reset();
  state.counters[kChildrenCpu] = WaitedChildrenCpuSeconds() - children_before;
}

void BM_WholeProcessElevatedFullScan(benchmark::State& state) {
  const double children_before = WaitedChildrenCpuSeconds();
  auto core = StartCore(state);
  if (core == nullptr) return;
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
  CountHelperCpu(state, std::move(core), children_before);
}

// Reads 00:00.0's identifier dword, a round trip to the helper and a read of the device.
void BM_WholeProcessElevatedPresentRead(benchmark::State& state) {
  const double children_before = WaitedChildrenCpuSeconds();
  auto core = StartCore(state);
  if (core == nullptr) return;
  for (auto _ : state) benchmark::DoNotOptimize(core->ReadConfig(0, 0, 4));
  CountHelperCpu(state, std::move(core), children_before);
}

// What the function view reads when it opens: 00:00.0's whole space (4096 bytes where the kernel
// gives it extended space), in one round trip.
void BM_WholeProcessElevatedFunctionSpaceRead(benchmark::State& state) {
  const double children_before = WaitedChildrenCpuSeconds();
  auto core = StartCore(state);
  if (core == nullptr) return;
  std::vector<uint8_t> space(4096);
  uint32_t bytes = 0;
  for (auto _ : state) bytes = core->ReadSpace(0, space.data(), 4096);
  state.counters["bytes"] = bytes;
  CountHelperCpu(state, std::move(core), children_before);
}

// The in-process baselines of the two reads: the real library in this process.
bool LoadRealLibrary(benchmark::State& state, qbus::hw::LoadedLibrary* library) {
  if (qbus::hw::BindFile(QBUS_REAL_LIBRARY, Report, library)) return true;
  state.SkipWithError("the access library cannot be initialised here");
  return false;
}

void BM_InProcessPresentReadRealLibrary(benchmark::State& state) {
  qbus::hw::LoadedLibrary library;
  if (!LoadRealLibrary(state, &library)) return;
  uint32_t value = 0;
  for (auto _ : state) {
    library.access.ReadPciConfigDwordEx(0, 0, &value);
    benchmark::DoNotOptimize(value);
  }
}

void BM_InProcessFunctionSpaceReadRealLibrary(benchmark::State& state) {
  qbus::hw::LoadedLibrary library;
  if (!LoadRealLibrary(state, &library)) return;
  std::vector<uint8_t> space(4096);
  uint32_t bytes = 0;
  for (auto _ : state) bytes = library.access.ReadPciConfigSpaceEx(0, space.data(), 4096);
  state.counters["bytes"] = bytes;
}

// The bus tree, read through the helper and, as its baseline, by the real library in this
// process: of many functions, over one fake /sys/bus/pci (/fake_buses:16 and /fake_buses:256,
// 4,096 and 65,536 functions), and of this machine's (/fake_buses:0), where a read of the device
// may cost far more than a round trip. Each fake bus holds 256 functions of 4 KiB, each with
// power management at 0x40 and PCI Express at 0x60: bus 0's devices 1 to 15 are root ports,
// each to the bus of its number, and every other function is an endpoint (on the buses above
// 15, of buses no port leads to).
constexpr uint32_t kPortBuses = 16;

std::vector<uint8_t> FakeFunction(uint32_t location) {
  const bool port = location >> 8 == 0 && (location & 7) == 0 && (location >> 3) >= 1 &&
                    (location >> 3) < kPortBuses;
  std::vector<uint8_t> b(4096, 0);
  b[0] = 0x86, b[1] = 0x80, b[2] = port ? 0x10 : 0x3B, b[3] = port ? 0x0D : 0x15;
  b[0x06] = 0x10, b[0x0A] = port ? 0x04 : 0x00, b[0x0B] = port ? 0x06 : 0x02;
  b[0x0E] = port ? 1 : 0, b[0x34] = 0x40;
  if (port) b[0x19] = b[0x1A] = static_cast<uint8_t>(location >> 3);
  b[0x40] = 0x01, b[0x41] = 0x60;
  b[0x60] = 0x10, b[0x62] = port ? 0x42 : 0x02;
  b[0x6C] = 0x43, b[0x72] = 0x41;  // 8 GT/s x4, running 2.5 GT/s x4
  return b;
}

// Stands a tree of those functions, in a temporary folder, in /sys/bus/pci for the calling
// thread and the processes it starts (a private mount namespace; needs root), and puts the
// thread back in its own namespace at the end.
class FakePciTree {
 public:
  explicit FakePciTree(uint32_t buses) {
    // In memory where the machine has it: a disk's writeback of the files would be timed too.
    std::string folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    folder += "/quoril-bus-bench-XXXXXX";
    if (mkdtemp(folder.data()) == nullptr) return;
    root_ = folder;
    for (uint32_t location = 0; location < buses << 8; ++location) {
      char name[32];
      std::snprintf(name, sizeof name, "devices/0000:%02x:%02x.%u", location >> 8,
                    location >> 3 & 0x1F, location & 7);
      std::filesystem::create_directories(root_ / name);
      const std::vector<uint8_t> bytes = FakeFunction(location);
      std::ofstream(root_ / name / "config", std::ios::binary)
          .write(reinterpret_cast<const char*>(bytes.data()), 4096);
    }
    own_namespace_ = open("/proc/thread-self/ns/mnt", O_RDONLY | O_CLOEXEC);
    folder_ = open(".", O_RDONLY | O_CLOEXEC);
    mounted_ = own_namespace_ >= 0 && folder_ >= 0 && unshare(CLONE_NEWNS) == 0 &&
               mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
               mount(root_.c_str(), "/sys/bus/pci", nullptr, MS_BIND, nullptr) == 0;
  }
  ~FakePciTree() {
    if (mounted_) umount2("/sys/bus/pci", MNT_DETACH);
    if (own_namespace_ >= 0 && setns(own_namespace_, CLONE_NEWNS) == 0 && folder_ >= 0) {
      if (fchdir(folder_) != 0) std::perror("fchdir");
    }
    if (own_namespace_ >= 0) close(own_namespace_);
    if (folder_ >= 0) close(folder_);
    if (!root_.empty()) std::filesystem::remove_all(root_);
  }
  FakePciTree(const FakePciTree&) = delete;
  FakePciTree& operator=(const FakePciTree&) = delete;

  bool mounted() const { return mounted_; }

 private:
  std::filesystem::path root_;
  int own_namespace_ = -1;
  int folder_ = -1;
  bool mounted_ = false;
};

// The entry points over one elevated core, as the elevated library's shim makes them.
Core* tree_core = nullptr;
template <typename T>
uint32_t CoreRead(uint32_t location, uint32_t offset, T* value) {
  const std::optional<uint32_t> got = tree_core->ReadConfig(location, offset, sizeof(T));
  *value = static_cast<T>(got.value_or(0xFFFFFFFF));
  return got ? 1 : 0;
}
uint32_t CoreReadSpace(uint32_t location, uint8_t* bytes, uint32_t size) {
  return tree_core->ReadSpace(location, bytes, size);
}
uint32_t CoreReadSpaces(const uint32_t* locations, uint32_t count, uint32_t size, uint8_t* bytes,
                        uint32_t* stored) {
  return tree_core->ReadSpaces(locations, count, size, bytes, stored);
}
uint32_t CoreState() { return static_cast<uint32_t>(tree_core->state()); }

// The fake tree of /fake_buses:N, nothing for this machine's own (N = 0); skips the benchmark
// where a fake tree cannot be made.
std::unique_ptr<FakePciTree> TreeFor(benchmark::State& state) {
  if (state.range(0) == 0) return nullptr;
  // Each function keeps a descriptor open in its reader, this process or the helper it starts
  // (which inherits the limit): room for all of them, past the hard limit where root may raise
  // it, and otherwise as many buses as the hard limit leaves room for.
  auto buses = static_cast<rlim_t>(state.range(0));
  constexpr rlim_t kOtherFiles = 1024;
  rlimit files{};
  if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_max < buses * 256 + kOtherFiles) {
    rlimit raised{buses * 256 + kOtherFiles, buses * 256 + kOtherFiles};
    if (setrlimit(RLIMIT_NOFILE, &raised) != 0) {
      buses = std::max<rlim_t>(1, (files.rlim_max - std::min(files.rlim_max, kOtherFiles)) / 256);
    }
  }
  auto tree = std::make_unique<FakePciTree>(static_cast<uint32_t>(buses));
  if (!tree->mounted()) state.SkipWithError("a fake /sys/bus/pci needs root");
  return tree;
}

// Reads the tree of every function `access` reaches, as the device list lists them.
void ReadTrees(benchmark::State& state, const qbus::hw::HardwareAccess& access) {
  std::vector<qbus::scan::ListedFunction> listed;
  for (uint32_t location = 0; location < 0x10000; ++location) {
    uint32_t ids = 0;
    if (access.ReadPciConfigDwordEx(location, 0, &ids) != 0) listed.push_back({location, ids});
  }
  size_t lines = 0;
  for (auto _ : state) {
    const qbus::app::BusTreeReading reading = qbus::app::ReadBusTree(access, listed);
    if (!reading.failure.empty()) return state.SkipWithError(reading.failure.c_str());
    lines = reading.lines.size();
  }
  state.counters["functions"] = static_cast<double>(listed.size());
  state.counters["lines"] = static_cast<double>(lines);
}

void BM_WholeProcessElevatedBusTree(benchmark::State& state) {
  const auto tree = TreeFor(state);
  if (tree && !tree->mounted()) return;
  const double children_before = WaitedChildrenCpuSeconds();
  auto core = StartCore(state);
  if (core == nullptr) return;
  qbus::hw::HardwareAccess access{};
  access.ReadPciConfigDwordEx = CoreRead<uint32_t>;
  access.ReadPciConfigWordEx = CoreRead<uint16_t>;
  access.ReadPciConfigByteEx = CoreRead<uint8_t>;
  access.ReadPciConfigSpaceEx = CoreReadSpace;
  access.ReadPciConfigSpaceBatchEx = CoreReadSpaces;
  access.GetAccessStateEx = CoreState;
  tree_core = core.get();
  ReadTrees(state, access);
  tree_core = nullptr;
  CountHelperCpu(state, std::move(core), children_before);
}

void BM_InProcessBusTreeRealLibrary(benchmark::State& state) {
  const auto tree = TreeFor(state);
  if (tree && !tree->mounted()) return;
  qbus::hw::LoadedLibrary library;
  if (!LoadRealLibrary(state, &library)) return;
  ReadTrees(state, library.access);
}

// The whole-process rows run for a wall time, not for their own process's little CPU.
BENCHMARK(BM_WholeProcessElevatedHelperStartThroughPkexecStandIn)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WholeProcessElevatedFullScan)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WholeProcessElevatedPresentRead)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WholeProcessElevatedFunctionSpaceRead)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InProcessPresentReadRealLibrary)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_InProcessFunctionSpaceReadRealLibrary)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WholeProcessElevatedBusTree)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->ArgName("fake_buses")
    ->Arg(16)
    ->Arg(256)
    ->Arg(0);
BENCHMARK(BM_InProcessBusTreeRealLibrary)
    ->Unit(benchmark::kMillisecond)
    ->ArgName("fake_buses")
    ->Arg(16)
    ->Arg(256)
    ->Arg(0);

}  // namespace
