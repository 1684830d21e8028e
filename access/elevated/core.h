// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <bitset>
#include <cstdint>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

#include "access/common/config_access.h"
#include "access/common/port_latch.h"

// The elevated access library's core: configuration accesses are carried out by the root
// helper on the other end of a stream, while everything that needs no hardware (absent
// functions, bad arguments, the port latch) is answered here, without a round trip.
namespace qbus::access::elevated {

// A connected helper: the stream to it and, when it was started here, its process.
struct HelperChannel {
  int fd = -1;
  pid_t pid = -1;  // -1: not a child of this process (tests serve the stream themselves)
};

// Starts `command` (an absolute program path and its arguments, without a search of PATH) with
// its standard input and output on one end of a new stream socket; nothing when that fails.
std::optional<HelperChannel> SpawnHelper(const std::vector<std::string>& command);

class Core {
 public:
  // Takes over `channel`: its descriptor is closed, and its process waited for, on destruction.
  explicit Core(HelperChannel channel) : channel_(channel) {}
  ~Core();
  Core(const Core&) = delete;
  Core& operator=(const Core&) = delete;

  // Reads the helper's announcement of the functions it found. False when the stream ends
  // first (the helper could not be started, or authentication was refused or cancelled), when
  // the helper reports that its PCI access does not work, or when the announcement is malformed.
  bool Init();

  // As the real library's core: nothing (or false) for an absent function, an unaligned
  // offset, an access beyond the function's configuration space or a location above 0xFFFF,
  // all without asking the helper; otherwise the helper's answer. Once the stream has broken
  // (the helper ended) every access fails.
  std::optional<uint32_t> ReadConfig(uint32_t location, uint32_t offset, uint32_t width);
  bool WriteConfig(uint32_t location, uint32_t offset, uint32_t width, uint32_t value);

  // Mechanism #1 ports; see PortLatch. Any port other than 0xCF8 and 0xCFC fails.
  std::optional<uint32_t> ReadPort(uint32_t port);
  bool WritePort(uint32_t port, uint32_t value);

  // Size of a function's configuration space in bytes as the helper announced it; 0 when absent.
  uint32_t SpaceSize(uint32_t location) const {
    return location < kLocationCount ? space_sizes_[location] : 0;
  }

 private:
  std::optional<uint32_t> Exchange(uint32_t op, uint32_t location, uint32_t offset, uint32_t width,
                                   uint32_t value);
  void Close();

  HelperChannel channel_;
  std::vector<uint16_t> space_sizes_ = std::vector<uint16_t>(kLocationCount);
  PortLatch latch_;
};

// The helper's path for the elevated library found at `library_path`, from the installed layout
// (libexec beside the library folder); resolves symbolic links. Empty when it cannot be resolved.
std::string HelperPathFor(const std::string& library_path);

}  // namespace qbus::access::elevated
