// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "access/common/port_latch.h"
#include "access/sim/machine.h"
#include "access/sim/trace.h"

// The simulated library's core: a Machine behind the same operations as the real core.
namespace qbus::access::sim {

struct Options {
  std::string dump_path;      // empty: the built-in machine
  std::string trace_path;     // empty: no trace
  bool fail_init = false;     // Init refuses
  bool unprivileged = false;  // as the kernel treats a user without root (below)
  std::string domain_text;    // the PCI domain to present, in hex; empty: domain 0
};

// What an unprivileged user may read of each function: the kernel's first 64 bytes.
constexpr uint32_t kUnprivilegedBytes = 0x40;

// Options from QUORILBUS_SIM_DUMP, QUORILBUS_SIM_TRACE, QUORILBUS_SIM_INIT=fail,
// QUORILBUS_SIM_UNPRIVILEGED=1 and QUORILBUS_SIM_DOMAIN, read with secure_getenv.
Options OptionsFromEnvironment();

// A domain as QUORILBUS_SIM_DOMAIN gives it: up to five hex digits; empty is domain 0. Nothing
// for anything else (Init then refuses).
std::optional<uint32_t> ParseDomain(const std::string& text);

class Core {
 public:
  explicit Core(Options options);

  // Loads the machine. False when told to fail, or when the dump cannot be read or used (not a
  // regular file, too large, unreadable, malformed); then one line naming the file and the
  // reason (or the line to blame) goes to standard error and no machine is loaded.
  bool Init();

  // As the real core: nothing for an absent function, a location above 0xFFFF, an unaligned
  // offset or an access beyond the function's space, and before a successful Init. Unprivileged,
  // reads at offset 0x40 and above fail and every configuration write fails.
  std::optional<uint32_t> ReadConfig(uint32_t location, uint32_t offset, uint32_t width);
  bool WriteConfig(uint32_t location, uint32_t offset, uint32_t width, uint32_t value);
  // As the real core: the whole space from offset 0 (64 bytes when unprivileged); the number of
  // bytes read, 0 for an absent function.
  uint32_t ReadSpace(uint32_t location, uint8_t* bytes, uint32_t capacity);
  std::optional<uint32_t> ReadPort(uint32_t port);
  bool WritePort(uint32_t port, uint32_t value);

  Trace& trace() { return trace_; }
  // The domain the machine presents, as QUORILBUS_SIM_DOMAIN chose it (after Init).
  uint32_t domain() const { return domain_; }

 private:
  Options options_;
  Trace trace_;
  std::unique_ptr<Machine> machine_;
  uint32_t domain_ = 0;
  PortLatch latch_;
};

}  // namespace qbus::access::sim
