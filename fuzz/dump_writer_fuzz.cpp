// SPDX-License-Identifier: GPL-3.0-or-later
// The text a saved copy holds, for any bytes of any function: the simulated machine's dump
// reader (which reads what lspci -F reads) must take it back as exactly those bytes, at that
// location.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "config_space/dump_parser.h"
#include "config_space/function_dump.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const uint32_t location = data[0] | data[1] << 8;
  // A saved function holds 64, 256 or 4096 bytes.
  const size_t sizes[] = {64, 256, 4096};
  const size_t length = sizes[data[2] % 3];
  std::vector<uint8_t> bytes(data + 3, data + std::min(size, 3 + length));
  bytes.resize(length, 0xA5);
  const std::string text =
      qbus::config_space::FormatFunctionDump(location, "Fuzzed: device", bytes);
  const auto parsed = qbus::config_space::ParseDump(text, "fuzz");
  if (!parsed.error.empty() || parsed.functions.size() != 1) std::abort();
  const auto& [at, image] = *parsed.functions.begin();
  if (at != location) std::abort();
  for (size_t i = 0; i < length; ++i) {
    if (!image.held[i] || image.bytes[i] != bytes[i]) std::abort();
  }
  return 0;
}
