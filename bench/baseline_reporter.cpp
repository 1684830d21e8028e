// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/baseline_reporter.h"

#include <cstdio>
#include <ostream>
#include <unistd.h>

namespace qbus::bench {

BaselineReporter::BaselineReporter(std::vector<BaselinePair> pairs)
    : benchmark::ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Color : OO_None),
      pairs_(std::move(pairs)) {}

void BaselineReporter::ReportRuns(const std::vector<Run>& runs) {
  std::vector<Run> shown = runs;
  for (Run& run : shown) {
    const auto children = run.counters.find(kChildrenCpu);
    if (children != run.counters.end()) {
      run.cpu_accumulated_time += children->second.value;
      run.counters.erase(children);
    }
    if (run.error_occurred || run.iterations == 0) continue;
    std::string name = run.run_name.function_name;
    if (!run.run_name.args.empty()) name += "/" + run.run_name.args;
    seconds_[name] = run.real_accumulated_time / static_cast<double>(run.iterations);
  }
  benchmark::ConsoleReporter::ReportRuns(shown);
}

void BaselineReporter::Finalize() {
  std::string lines;
  for (const BaselinePair& pair : pairs_) {
    const auto row = seconds_.find(pair.row);
    const auto baseline = seconds_.find(pair.baseline);
    if (row == seconds_.end() || baseline == seconds_.end()) continue;
    char ratio[32];
    std::snprintf(ratio, sizeof ratio, "%.2fx", row->second / baseline->second);
    lines += std::string("  ") + pair.row_text + ": " + FormatSeconds(row->second) + " wall, " +
             pair.baseline_text + " " + FormatSeconds(baseline->second) + ": " + ratio + "\n";
  }
  if (lines.empty()) return;
  GetOutputStream() << "\nBeside their baselines (the time of one iteration):\n" << lines;
  GetOutputStream().flush();
}

std::string FormatSeconds(double seconds) {
  const char* unit = "s";
  double value = seconds;
  if (seconds < 1e-6) {
    unit = "ns";
    value = seconds * 1e9;
  } else if (seconds < 1e-3) {
    unit = "us";
    value = seconds * 1e6;
  } else if (seconds < 1) {
    unit = "ms";
    value = seconds * 1e3;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.3g %s", value, unit);
  return text;
}

}  // namespace qbus::bench
