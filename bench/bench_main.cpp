// SPDX-License-Identifier: GPL-3.0-or-later
// The benchmarks run inside one application object on Qt's offscreen platform. An InProcess row
// times work in this process, and its CPU is this process's; a WholeProcess row times processes
// it starts, and its CPU counts theirs too. Rows with a baseline are printed beside it after the
// table. With --helper-waits the binary times the elevated library against the in-process one
// instead (helper_waits.cpp); with --first-form-child or --bare-window-child it is the child of
// a start-up row.
#include <benchmark/benchmark.h>
#include <cstring>
#include <stdlib.h>

#include "bench/baseline_reporter.h"
#include "bench/bench_child.h"
#include "ui/application.h"

namespace {

const qbus::bench::BaselinePair kBaselines[] = {
    {"BM_InProcessFullScanRealLibrary", "full port scan, real library (in-process)",
     "BM_WholeProcessLspciRun", "one lspci -n (whole process)"},
    {"BM_InProcessFullScanSimulatedLibrary", "full port scan, simulated machine (in-process)",
     "BM_InProcessFullScanRealLibrary", "real library"},
    {"BM_WholeProcessOffscreenStartToFirstFormRealLibrary",
     "start to first form, real library (whole process, offscreen)",
     "BM_WholeProcessOffscreenStartToBareWindow", "bare window"},
    {"BM_WholeProcessOffscreenStartToFirstFormSimulatedMachine",
     "start to first form, simulated machine (whole process, offscreen)",
     "BM_WholeProcessOffscreenStartToBareWindow", "bare window"},
    {"BM_WholeProcessElevatedHelperStartThroughPkexecStandIn",
     "helper start through the pkexec stand-in (whole process)", "BM_WholeProcessLspciRun",
     "one lspci -n"},
    {"BM_WholeProcessElevatedFullScan", "full port scan through the helper, back to back",
     "BM_InProcessFullScanRealLibrary", "in-process"},
    {"BM_WholeProcessElevatedPresentRead", "one dword through the helper, back to back",
     "BM_InProcessPresentReadRealLibrary", "in-process"},
    {"BM_WholeProcessElevatedFunctionSpaceRead",
     "00:00.0's space in one call through the helper, back to back",
     "BM_InProcessFunctionSpaceReadRealLibrary", "in-process"},
    {"BM_WholeProcessElevatedBusTree/fake_buses:16",
     "bus tree of 4,096 fake functions through the helper",
     "BM_InProcessBusTreeRealLibrary/fake_buses:16", "in-process"},
    {"BM_WholeProcessElevatedBusTree/fake_buses:256",
     "bus tree of 65,536 fake functions (or as many as descriptors allow) through the helper",
     "BM_InProcessBusTreeRealLibrary/fake_buses:256", "in-process"},
    {"BM_WholeProcessElevatedBusTree/fake_buses:0", "this machine's bus tree through the helper",
     "BM_InProcessBusTreeRealLibrary/fake_buses:0", "in-process"},
};

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  setenv("QT_LOGGING_RULES", "*=false", 0);  // Qt's messages stay out of the table
  unsetenv("QUORILBUS_SIM_TRACE");
  qbus::ui::Application application;
  if (argc == 3 && std::strcmp(argv[1], "--first-form-child") == 0) {
    return qbus::bench::RunFirstFormChild(argv[2]);
  }
  if (argc >= 2 && std::strcmp(argv[1], "--bare-window-child") == 0) {
    return qbus::bench::RunBareWindowChild();
  }
  if (argc == 2 && std::strcmp(argv[1], "--helper-waits") == 0) {
    return qbus::bench::RunHelperWaits();
  }
  benchmark::Initialize(&argc, argv);
  qbus::bench::BaselineReporter reporter({std::begin(kBaselines), std::end(kBaselines)});
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
