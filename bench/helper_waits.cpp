// SPDX-License-Identifier: GPL-3.0-or-later
// The elevated library (its helper started through the stand-in for pkexec) against the real
// library in this process, as a user waits for each: one operation at a time after a pause, its
// wall time, the two libraries taking turns in one run, on an idle machine and then beside two
// busy processes per processor. Timed back to back instead, a read in this process never sleeps
// and so competes with the busy processes for its whole run, while each round trip to the helper
// sleeps and is woken ahead of them: the two would not be alike.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench/baseline_reporter.h"
#include "bench/bench_child.h"
#include "bench/busy_load.h"
#include "hw/library_binding.h"

namespace qbus::bench {
namespace {

// Long enough for a process to count as having slept, as one waiting for its user has.
constexpr auto kPause = std::chrono::milliseconds(20);

// One operation through a library's entry points; false when it failed.
using Operation = bool (*)(const hw::HardwareAccess&);

struct Row {
  const char* text;
  int rounds;
  Operation operation;
};

bool ReadIdentifier(const hw::HardwareAccess& access) {
  uint32_t value = 0;
  return access.ReadPciConfigDwordEx(0, 0, &value) == 1;
}

bool ReadWholeSpace(const hw::HardwareAccess& access) {
  uint8_t space[4096];
  return access.ReadPciConfigSpaceEx(0, space, sizeof space) == sizeof space;
}

bool ScanAllFunctions(const hw::HardwareAccess& access) {
  uint32_t address = 0x80000000;
  uint32_t value = 0;
  uint32_t found = 0;
  for (int probe = 0; probe < 0x10000; ++probe, address += 0x100) {
    access.WriteIoPortDwordEx(0xCF8, address);
    access.ReadIoPortDwordEx(0xCFC, &value);
    found += value != 0xFFFFFFFF;
  }
  return found > 0;
}

// The wall seconds of `operation` after a pause; a negative number when it failed.
double TimeOnce(const Operation& operation, const hw::HardwareAccess& access) {
  std::this_thread::sleep_for(kPause);
  const auto start = std::chrono::steady_clock::now();
  const bool done = operation(access);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return done ? seconds : -1;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Times `row` through both libraries, in turns that swap which goes first; false when one failed.
bool PrintRow(const Row& row, const char* load, const hw::HardwareAccess& helper,
              const hw::HardwareAccess& in_process) {
  std::vector<double> through_helper;
  std::vector<double> here;
  for (int round = 0; round < row.rounds; ++round) {
    const bool helper_first = round % 2 == 0;
    const double first = TimeOnce(row.operation, helper_first ? helper : in_process);
    const double second = TimeOnce(row.operation, helper_first ? in_process : helper);
    if (first < 0 || second < 0) {
      std::printf("  %s, %s: failed\n", row.text, load);
      return false;
    }
    through_helper.push_back(helper_first ? first : second);
    here.push_back(helper_first ? second : first);
  }
  const double helper_median = Median(through_helper);
  const double here_median = Median(here);
  std::printf("  %s, %s: helper %s wall, in-process %s: %.2fx\n", row.text, load,
              FormatSeconds(helper_median).c_str(), FormatSeconds(here_median).c_str(),
              helper_median / here_median);
  std::fflush(stdout);
  return true;
}

void Ignore(const std::string&, const std::string&) {}

}  // namespace

int RunHelperWaits() {
  const Row rows[] = {
      {"one dword of 00:00.0", 101, ReadIdentifier},
      {"00:00.0's whole space (4096 bytes) in one call", 21, ReadWholeSpace},
      {"the full port scan (65,536 probes)", 41, ScanAllFunctions},
  };
  std::printf(
      "\nElevated library against the real library in this process, as a user waits: each "
      "operation\nalone after a %lld ms pause, its wall time; median of the rounds, the two "
      "taking turns in one run:\n",
      static_cast<long long>(kPause.count()));
  if (std::getenv("QBUS_BENCH_PKEXEC_STAND_IN") == nullptr) {
    std::printf("  skipped: needs the stand-in for pkexec (bench/run_bench.sh)\n");
    return 0;
  }
  hw::LoadedLibrary helper;
  hw::LoadedLibrary in_process;
  if (!hw::BindFile(QBUS_ELEVATED_LIBRARY, Ignore, &helper) ||
      !hw::BindFile(QBUS_REAL_LIBRARY, Ignore, &in_process)) {
    std::printf("  skipped: a library cannot be initialised here\n");
    return 0;
  }
  // Without root 00:00.0 gives its first 64 bytes only.
  const bool whole_space = ReadWholeSpace(in_process.access) && ReadWholeSpace(helper.access);
  if (!whole_space) std::printf("  %s: skipped, not readable here\n", rows[1].text);
  bool all = true;
  for (const char* load : {"idle", "two busy processes per processor"}) {
    const auto busy = load == std::string("idle") ? nullptr : std::make_unique<BusyLoad>();
    for (const Row& row : rows) {
      if (row.operation == ReadWholeSpace && !whole_space) continue;
      all = PrintRow(row, load, helper.access, in_process.access) && all;
    }
  }
  return all ? 0 : 1;
}

}  // namespace qbus::bench
