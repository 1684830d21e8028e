// SPDX-License-Identifier: GPL-3.0-or-later
// The benchmarks run inside one application object on Qt's offscreen platform; with
// --first-form-child the binary plays the program for the start-up benchmark instead.
#include <benchmark/benchmark.h>
#include <cstring>
#include <stdlib.h>

#include "bench/bench_child.h"
#include "ui/application.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  setenv("QT_LOGGING_RULES", "*=false", 0);  // Qt's messages stay out of the table
  unsetenv("QUORILBUS_SIM_TRACE");
  qbus::ui::Application application;
  if (argc == 3 && std::strcmp(argv[1], "--first-form-child") == 0) {
    return qbus::bench::RunFirstFormChild(argv[2]);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
