// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <stdio.h>
#include <string>

namespace qbus::test {

// Standard output of a shell command; empty when it cannot run.
inline std::string RunCommand(const std::string& command) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return output;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  pclose(pipe);
  return output;
}

}  // namespace qbus::test
