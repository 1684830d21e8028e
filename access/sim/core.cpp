// SPDX-License-Identifier: GPL-3.0-or-later
#include "access/sim/core.h"

#include <cstdio>
#include <sstream>
#include <stdlib.h>

#include "access/sim/default_machine.h"
#include "config_space/dump_file.h"

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
          Environment("QUORILBUS_SIM_UNPRIVILEGED") == "1", Environment("QUORILBUS_SIM_DOMAIN")};
}

std::optional<uint32_t> ParseDomain(const std::string& text) {
  if (text.empty()) return 0;
  if (text.size() > 5) return std::nullopt;
  uint32_t domain = 0;
  for (char c : text) {
    const int digit = c >= '0' && c <= '9'   ? c - '0'
                      : c >= 'a' && c <= 'f' ? c - 'a' + 10
                      : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                             : -1;
    if (digit < 0) return std::nullopt;
    domain = domain << 4 | static_cast<uint32_t>(digit);
  }
  return domain;
}

Core::Core(Options options) : options_(std::move(options)), trace_(options_.trace_path) {}

bool Core::Init() {
  if (options_.fail_init) return false;
  const std::optional<uint32_t> domain = ParseDomain(options_.domain_text);
  if (!domain) {
    std::fprintf(stderr, "quoril-bus simulator: QUORILBUS_SIM_DOMAIN is no hex domain: %s\n",
                 options_.domain_text.c_str());
    return false;
  }
  config_space::ParsedDump dump =
      options_.dump_path.empty()
          ? config_space::ParseDump(kDefaultMachineDump, "built-in machine", *domain)
          : config_space::LoadDumpFile(options_.dump_path, *domain);
  if (!dump.error.empty()) {
    std::fprintf(stderr, "quoril-bus simulator: %s\n", dump.error.c_str());
    return false;
  }
  machine_ = std::make_unique<Machine>(std::move(dump.functions));
  domain_ = *domain;
  return true;
}

std::optional<uint32_t> Core::ReadConfig(uint32_t location, uint32_t offset, uint32_t width) {
  if (!machine_ || (options_.unprivileged && offset >= kUnprivilegedBytes)) return std::nullopt;
  return machine_->Read(location, offset, width);
}

uint32_t Core::ReadSpace(uint32_t location, uint8_t* bytes, uint32_t capacity) {
  if (!machine_ || !machine_->Present(location)) return 0;
  const uint32_t space_size = machine_->Read(location, 0x100, 4) ? 4096 : 256;
  return ReadSpaceByDwords(space_size, bytes, capacity,
                           [&](uint32_t offset) { return ReadConfig(location, offset, 4); });
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
