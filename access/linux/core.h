// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <bitset>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

#include "access/common/config_access.h"
#include "access/common/port_latch.h"

struct pci_access;

// The real machine's configuration space through libpci's Linux methods (sysfs, then /proc).
// It never performs raw port I/O: ports 0xCF8/0xCFC are emulated over configuration reads, so a
// probe never races the kernel's own configuration accesses.
namespace qbus::access::linux_pci {

class Core {
 public:
  // `sysfs_root`: empty for the kernel's tree, or a directory laid out like /sys/bus/pci
  // (a `devices/0000:BB:DD.F/config` file per function), which tests use instead of hardware.
  // `proc_root`: a tree laid out like /proc/bus/pci to fall back to; the kernel's when both are
  // empty, and no fallback for a given sysfs tree without one.
  explicit Core(std::string sysfs_root = {}, std::string proc_root = {});
  ~Core();
  Core(const Core&) = delete;
  Core& operator=(const Core&) = delete;

  // Sets libpci up and enumerates the domain-0 functions the kernel knows. False when no access
  // method works; `error()` then says why. Call once, before anything else.
  bool Init();

  // Reads `width` bytes (1, 2, 4) at byte `offset` straight from the device. Nothing for an
  // absent function, a location above 0xFFFF, an unaligned offset, an access beyond the
  // function's configuration space (256 bytes, or 4096 with extended space), or a read the
  // kernel refuses.
  std::optional<uint32_t> ReadConfig(uint32_t location, uint32_t offset, uint32_t width);

  // Reads the function's whole configuration space from offset 0 into `bytes` (`capacity`
  // bytes long) in one system call where the kernel allows it, else a dword at a time as far
  // as it lets this process read (64 bytes without root). The number of bytes read; 0 for an
  // absent function.
  uint32_t ReadSpace(uint32_t location, uint8_t* bytes, uint32_t capacity);

  // Writes the low `width` bytes of `value`; false (and nothing written) in the cases above, or
  // when the kernel refuses the write (not root).
  bool WriteConfig(uint32_t location, uint32_t offset, uint32_t width, uint32_t value);

  // Mechanism #1 ports; see PortLatch. Any port other than 0xCF8 and 0xCFC fails.
  std::optional<uint32_t> ReadPort(uint32_t port);
  bool WritePort(uint32_t port, uint32_t value);

  // True when the function exists; answers from memory, without a system call.
  bool Present(uint32_t location) const { return location < kLocationCount && present_[location]; }

  // Size of a present function's configuration space in bytes, 0 when absent.
  uint32_t SpaceSize(uint32_t location) const;

  // The configuration files Init opened, one per function that could be opened: `count`
  // descriptors, the lowest `first` and the highest `last` (both -1 when none). They are the only
  // descriptors an access reads or writes.
  struct ConfigFiles {
    int first = -1;
    int last = -1;
    int count = 0;
  };
  const ConfigFiles& config_files() const { return config_files_; }

  // True when the files are sysfs ones, which keep the rights of the process that opened them
  // (the whole space, writes): /proc's check the reader's capabilities at every read.
  bool FilesKeepTheOpenersRights() const { return sysfs_method_; }

  // The last message of libpci's error handler, if Init failed.
  const std::string& error() const { return error_; }

 private:
  struct Function {
    int fd;  // -1: the file could not be opened, and every access fails
    uint32_t space_size;
  };

  bool TryMethod(unsigned method);
  void Enumerate();
  int OpenConfigFile(unsigned bus, unsigned device, unsigned function) const;
  const Function* Find(uint32_t location, uint32_t offset, uint32_t width) const;

  std::string sysfs_root_;
  std::string proc_root_;
  std::string error_;
  pci_access* access_ = nullptr;
  bool sysfs_method_ = false;
  ConfigFiles config_files_;
  std::bitset<kLocationCount> present_;
  std::unordered_map<uint32_t, Function> functions_;
  PortLatch latch_;
};

}  // namespace qbus::access::linux_pci
