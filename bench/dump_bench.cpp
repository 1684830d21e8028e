// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated machine's dump loader on dump text in memory (in-process): bytes of text parsed
// per second, for 65,536 functions of 256 bytes.
#include <benchmark/benchmark.h>
#include <cstdio>
#include <string>

#include "config_space/dump_parser.h"

namespace {

std::string FullMachineText() {
  std::string text;
  char piece[16];
  for (int location = 0; location < 0x10000; ++location) {
    std::snprintf(piece, sizeof piece, "%02x:%02x.%d ", location >> 8, location >> 3 & 31,
                  location & 7);
    text += piece;
    text += "Device\n";
    for (int offset = 0; offset < 256; offset += 16) {
      std::snprintf(piece, sizeof piece, "%02x:", offset);
      text += piece;
      for (int i = 0; i < 16; ++i) {
        std::snprintf(piece, sizeof piece, " %02x", (offset + i + location) & 0xFF);
        text += piece;
      }
      text += '\n';
    }
    text += '\n';
  }
  return text;
}

void BM_InProcessDumpLoad65536Functions(benchmark::State& state) {
  const std::string text = FullMachineText();
  for (auto _ : state) {
    qbus::config_space::ParsedDump dump = qbus::config_space::ParseDump(text, "bench");
    if (dump.functions.size() != 0x10000) state.SkipWithError("the dump did not load");
    benchmark::DoNotOptimize(dump);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

BENCHMARK(BM_InProcessDumpLoad65536Functions)->Unit(benchmark::kMillisecond);

}  // namespace
