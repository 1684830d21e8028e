// SPDX-License-Identifier: GPL-3.0-or-later
#include "access/sim/core.h"

#include <cstdio>
#include <sstream>
#include <stdlib.h>

#include "access/sim/default_machine.h"
#include "access/sim/dump_file.h"

namespace qbus::access::sim {
namespace {

std::string Environment(const char* name) {
  // Unset for a program started with raised privileges, which must not be steered from outside.
  const char* value = secure_getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

}  // namespace

Options OptionsFromEnvironment() {
  return {Environment("QUORILBUS_SIM_DUMP"), Environment("QUORILBUS_SIM_TRACE"),
          Environment("QUORILBUS_SIM_INIT") == "fail",
          Environment("QUORILBUS_SIM_UNPRIVILEGED") == "1"};
}

Core::Core(Options options) : options_(std::move(options)), trace_(options_.trace_path) {}

bool Core::Init() {
  if (options_.fail_init) return false;
  ParsedDump dump = options_.dump_path.empty() ? ParseDump(kDefaultMachineDump, "built-in machine")
                                               : LoadDumpFile(options_.dump_path);
  if (!dump.error.empty()) {
    std::fprintf(stderr, "quoril-bus simulator: %s\n", dump.error.c_str());
    return false;
  }
  machine_ = std::make_unique<Machine>(std::move(dump.functions));
  return true;
}

std::optional<uint32_t> Core::ReadConfig(uint32_t location, uint32_t offset, uint32_t width) {
  if (!machine_ || (options_.unprivileged && offset >= kUnprivilegedBytes)) return std::nullopt;
  return machine_->Read(location, offset, width);
}

bool Core::WriteConfig(uint32_t location, uint32_t offset, uint32_t width, uint32_t value) {
  return machine_ && !options_.unprivileged && machine_->Write(location, offset, width, value);
}

std::optional<uint32_t> Core::ReadPort(uint32_t port) {
  if (!machine_) return std::nullopt;
  return latch_.Read(
      port, [this](uint32_t location, uint32_t offset) { return ReadConfig(location, offset, 4); });
}

bool Core::WritePort(uint32_t port, uint32_t value) {
  return machine_ && latch_.Write(port, value);
}

}  // namespace qbus::access::sim
