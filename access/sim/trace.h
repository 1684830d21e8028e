// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <optional>
#include <string>

// Appends one line per entry-point call to a file, written out as each call returns, every number
// as 0x + uppercase hex without zero fill:
//   InitializeOls -> 0x1
//   ReadPciConfigWordEx 0x8 0x4 -> 0x1 0x107
//   WritePciConfigWordEx 0x8 0x4 0x106 -> 0x1
//   DeinitializeOls
// A read that had no output pointer has no value after its result.
namespace qbus::access::sim {

class Trace {
 public:
  // Appends to `path`, a regular file (created when missing); a symbolic link is not followed.
  // An empty path traces nothing; so does one that cannot be used, after one line on standard
  // error naming it and the reason.
  explicit Trace(const std::string& path);
  ~Trace();
  Trace(const Trace&) = delete;
  Trace& operator=(const Trace&) = delete;

  // One call: its name, its arguments, its result (none for DeinitializeOls) and, for reads,
  // the value stored.
  void Call(const char* name, std::initializer_list<uint32_t> arguments,
            std::optional<uint32_t> result, std::optional<uint32_t> value = std::nullopt);

 private:
  std::FILE* file_ = nullptr;
};

}  // namespace qbus::access::sim
