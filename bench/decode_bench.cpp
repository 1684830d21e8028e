// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding (in-process): every function of the tests' largest dump into its tree, and the one
// 4 KiB function of the tests' dumps that holds the most capabilities, the tree a view shows.
#include <benchmark/benchmark.h>
#include <filesystem>
#include <string>

#include "config_space/dump_file.h"
#include "config_space/function_tree.h"

namespace {

namespace cs = qbus::config_space;

std::vector<std::string> Dumps() {
  std::vector<std::string> paths;
  for (const auto& file : std::filesystem::recursive_directory_iterator(QBUS_TEST_DUMPS)) {
    if (file.path().extension() == ".dump") paths.push_back(file.path().string());
  }
  return paths;
}

size_t Blocks(const std::vector<cs::DecodedLine>& tree) {
  size_t blocks = 0;
  for (const cs::DecodedLine& line : tree) blocks += line.depth == 0 ? 1 : 0;
  return blocks;
}

void BM_InProcessDecodeEveryFunctionOfTheLargestDump(benchmark::State& state) {
  cs::ParsedDump largest;
  for (const std::string& path : Dumps()) {
    cs::ParsedDump dump = cs::LoadDumpFile(path);
    if (dump.functions.size() > largest.functions.size()) largest = std::move(dump);
  }
  for (auto _ : state) {
    for (const auto& [location, image] : largest.functions) {
      benchmark::DoNotOptimize(cs::DecodeFunction(image.bytes));
    }
  }
  state.counters["functions"] = static_cast<double>(largest.functions.size());
}
BENCHMARK(BM_InProcessDecodeEveryFunctionOfTheLargestDump)->Unit(benchmark::kMicrosecond);

void BM_InProcessDecode4KiBFunctionWithTheMostCapabilities(benchmark::State& state) {
  std::vector<uint8_t> richest;
  size_t most = 0;
  for (const std::string& path : Dumps()) {
    for (const auto& [location, image] : cs::LoadDumpFile(path).functions) {
      const size_t blocks =
          image.bytes.size() == 4096 ? Blocks(cs::DecodeFunction(image.bytes)) : 0;
      if (blocks > most) {
        most = blocks;
        richest = image.bytes;
      }
    }
  }
  size_t lines = 0;
  for (auto _ : state) {
    const std::vector<cs::DecodedLine> tree = cs::DecodeFunction(richest);
    lines = tree.size();
    benchmark::DoNotOptimize(tree);
  }
  state.counters["capabilities"] = static_cast<double>(most - 1);
  state.counters["lines"] = static_cast<double>(lines);
}
BENCHMARK(BM_InProcessDecode4KiBFunctionWithTheMostCapabilities)->Unit(benchmark::kMicrosecond);

}  // namespace
