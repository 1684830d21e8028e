// SPDX-License-Identifier: GPL-3.0-or-later
// The elevated library's core with its root helper (started directly, so no password dialog
// stands in the way; as whoever runs the benchmark), next to the in-process real library: the
// helper's start-up, the full port scan, one present read and a whole function's space. The
// reads and the scan run on an idle machine (/0) and beside two busy processes per processor
// (/1), which is where a spinning exchange lost to the work it waits for. The bus tree of many
// functions is read both ways over one fake /sys/bus/pci.
#include <algorithm>
#include <benchmark/benchmark.h>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "access/elevated/core.h"
#include "app/bus_tree_reading.h"
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

// 16 buses of 256 functions of 4 KiB, each with power management at 0x40 and PCI Express at
// 0x60: bus 0's devices 1 to 15 are root ports, each to the bus of its number, and every other
// function is an endpoint.
constexpr uint32_t kTreeBuses = 16;

std::vector<uint8_t> FakeFunction(uint32_t location) {
  const bool port = location >> 8 == 0 && (location & 7) == 0 && (location >> 3) >= 1 &&
                    (location >> 3) < kTreeBuses;
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
  FakePciTree() {
    char folder[] = "/tmp/quoril-bus-bench-XXXXXX";
    if (mkdtemp(folder) == nullptr) return;
    root_ = folder;
    for (uint32_t location = 0; location < kTreeBuses << 8; ++location) {
      char name[32];
      std::snprintf(name, sizeof name, "devices/0000:%02x:%02x.%u", location >> 8,
                    location >> 3 & 0x1F, location & 7);
      std::filesystem::create_directories(root_ / name);
      const std::vector<uint8_t> bytes = FakeFunction(location);
      std::ofstream(root_ / name / "config", std::ios::binary)
          .write(reinterpret_cast<const char*>(bytes.data()), 4096);
      listed_.push_back({location, 0x153B8086});
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
  const std::vector<qbus::scan::ListedFunction>& listed() const { return listed_; }

 private:
  std::filesystem::path root_;
  std::vector<qbus::scan::ListedFunction> listed_;
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
uint32_t CoreState() { return static_cast<uint32_t>(tree_core->state()); }

void ReadTrees(benchmark::State& state, const qbus::hw::HardwareAccess& access,
               const std::vector<qbus::scan::ListedFunction>& listed) {
  size_t lines = 0;
  for (auto _ : state) {
    const qbus::app::BusTreeReading reading = qbus::app::ReadBusTree(access, listed);
    if (!reading.failure.empty()) return state.SkipWithError(reading.failure.c_str());
    lines = reading.lines.size();
  }
  state.counters["functions"] = static_cast<double>(listed.size());
  state.counters["lines"] = static_cast<double>(lines);
}

void BM_ElevatedBusTree(benchmark::State& state) {
  const FakePciTree tree;
  if (!tree.mounted()) return state.SkipWithError("a fake /sys/bus/pci needs root");
  const auto core = StartCore(state);
  if (core == nullptr) return;
  qbus::hw::HardwareAccess access{};
  access.ReadPciConfigDwordEx = CoreRead<uint32_t>;
  access.ReadPciConfigWordEx = CoreRead<uint16_t>;
  access.ReadPciConfigByteEx = CoreRead<uint8_t>;
  access.ReadPciConfigSpaceEx = CoreReadSpace;
  access.GetAccessStateEx = CoreState;
  tree_core = core.get();
  ReadTrees(state, access, tree.listed());
  tree_core = nullptr;
}

void BM_InProcessBusTreeRealLibrary(benchmark::State& state) {
  const FakePciTree tree;
  if (!tree.mounted()) return state.SkipWithError("a fake /sys/bus/pci needs root");
  qbus::hw::LoadedLibrary library;
  if (!qbus::hw::BindFile(QBUS_REAL_LIBRARY, Report, &library)) {
    return state.SkipWithError("the access library cannot be initialised here");
  }
  ReadTrees(state, library.access, tree.listed());
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
BENCHMARK(BM_ElevatedBusTree)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InProcessBusTreeRealLibrary)->Unit(benchmark::kMillisecond);

}  // namespace
