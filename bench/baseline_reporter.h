// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <benchmark/benchmark.h>
#include <map>
#include <string>
#include <vector>

namespace qbus::bench {

// The counter a whole-process row sets to the CPU seconds, in all its iterations, of the
// processes it started; the reporter adds them to the row's CPU column and does not print it.
inline constexpr char kChildrenCpu[] = "children_cpu";

// A row and the row it is measured against, by name (the function's name, "/" and its arguments
// where it has any), each with the words that say what it times.
struct BaselinePair {
  const char* row;
  const char* row_text;
  const char* baseline;
  const char* baseline_text;
};

// Google Benchmark's console table with a whole-process row's children in its CPU column, then,
// after the table, each pair whose two rows both ran: "TEXT: TIME wall, BASELINE TIME: RATIO x".
class BaselineReporter : public benchmark::ConsoleReporter {
 public:
  explicit BaselineReporter(std::vector<BaselinePair> pairs);
  void ReportRuns(const std::vector<Run>& runs) override;
  void Finalize() override;

 private:
  std::vector<BaselinePair> pairs_;
  std::map<std::string, double> seconds_;  // wall seconds an iteration, by row name
};

// "850 ns", "33.1 us", "6.14 ms", "1.44 s": three significant digits.
std::string FormatSeconds(double seconds);

}  // namespace qbus::bench
