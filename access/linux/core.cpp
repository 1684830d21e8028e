// SPDX-License-Identifier: GPL-3.0-or-later
#include "access/linux/core.h"

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include "access/common/pci_location.h"

extern "C" {
#include <pci/pci.h>
}

namespace qbus::access::linux_pci {
namespace {

// libpci's error hook has no context argument and must not return, so the one guarded call in
// progress is reached through this thread-local pointer and left with longjmp.
struct ErrorTrap {
  std::jmp_buf jump;
  char message[256];
};
thread_local ErrorTrap* active_trap = nullptr;

[[noreturn]] void OnError(char* format, ...) {
  ErrorTrap* trap = active_trap;
  if (trap == nullptr) std::abort();  // every call that can fail this way is guarded
  va_list args;
  va_start(args, format);
  std::vsnprintf(trap->message, sizeof trap->message, format, args);
  va_end(args);
  std::longjmp(trap->jump, 1);
}

// Warnings (a device file that cannot be opened, a refused write) show up as failed results.
void OnWarning(char*, ...) {}

// Runs `step` (a libpci call returning true on success) with the error hook armed; false when
// it fails or libpci reports an error. Only trivial locals live here and in the steps, so the
// longjmp skips no destructor.
template <typename Step>
bool RunGuarded(ErrorTrap* trap, const Step& step) {
  active_trap = trap;
  if (setjmp(trap->jump) != 0) {
    active_trap = nullptr;
    return false;
  }
  const bool done = step();
  active_trap = nullptr;
  return done;
}

// libpci's sysfs scan reports an entry whose name it cannot parse through the error hook while
// its directory is open, so leaving by longjmp would leak the directory. Such a tree is refused
// here, before the scan; true when every entry parses (or the folder cannot be opened, which
// libpci reports before it opens anything).
bool DeviceNamesParse(const std::string& root, std::string* error) {
  const std::string folder = (root.empty() ? PCI_PATH_SYS_BUS_PCI : root) + "/devices";
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return true;
  bool parsed = true;
  while (const dirent* entry = readdir(dir)) {
    unsigned domain, bus, device;
    int function;
    if (entry->d_name[0] == '.') continue;
    if (std::sscanf(entry->d_name, "%x:%x:%x.%d", &domain, &bus, &device, &function) < 4) {
      *error = folder + ": unexpected entry " + entry->d_name;
      parsed = false;
      break;
    }
  }
  closedir(dir);
  return parsed;
}

// Reads or writes `width` bytes at `offset` of an opened configuration file, whole or not at all.
bool ReadBlock(int fd, uint32_t offset, uint8_t* bytes, uint32_t width) {
  return fd >= 0 && pread(fd, bytes, width, offset) == static_cast<ssize_t>(width);
}

bool WriteBlock(int fd, uint32_t offset, const uint8_t* bytes, uint32_t width) {
  return fd >= 0 && pwrite(fd, bytes, width, offset) == static_cast<ssize_t>(width);
}

}  // namespace

Core::Core(std::string sysfs_root, std::string proc_root)
    : sysfs_root_(std::move(sysfs_root)), proc_root_(std::move(proc_root)) {}

Core::~Core() {
  for (const auto& [location, function] : functions_) {
    if (function.fd >= 0) close(function.fd);
  }
  if (access_ != nullptr) pci_cleanup(access_);
}

bool Core::Init() {
  if (TryMethod(PCI_ACCESS_SYS_BUS_PCI)) return true;
  // A fake sysfs tree falls back only to a /proc tree given with it.
  return (sysfs_root_.empty() || !proc_root_.empty()) && TryMethod(PCI_ACCESS_PROC_BUS_PCI);
}

bool Core::TryMethod(unsigned method) {
  pci_access* access = pci_alloc();
  access->error = OnError;
  access->warning = OnWarning;
  access->debug = OnWarning;
  access->method = method;
  access->buscentric = 1;  // the scan then needs only the config files, no other attributes
  if (!sysfs_root_.empty())
    pci_set_param(access, const_cast<char*>("sysfs.path"), sysfs_root_.data());
  if (!proc_root_.empty()) pci_set_param(access, const_cast<char*>("proc.path"), proc_root_.data());

  if (method == PCI_ACCESS_SYS_BUS_PCI && !DeviceNamesParse(sysfs_root_, &error_)) {
    pci_cleanup(access);
    return false;
  }
  ErrorTrap trap{};
  const auto init = [access] { return pci_init(access), true; };
  const auto scan = [access] { return pci_scan_bus(access), true; };
  if (!RunGuarded(&trap, init) || !RunGuarded(&trap, scan)) {
    error_ = trap.message;
    pci_cleanup(access);
    return false;
  }
  access_ = access;
  sysfs_method_ = method == PCI_ACCESS_SYS_BUS_PCI;
  Enumerate();
  return true;
}

// Every function's configuration file is opened here, once, and kept: a process that may open
// nothing later (the root helper) still reaches each function, and a sysfs file read by a
// process that dropped its rights after opening it still shows the whole space. A machine of
// more functions than the process may hold descriptors (a thousand, often, for a shell's
// programs; virtual functions are many) would lose those past the limit, as if they did not
// answer: the limit is raised first, as far as the hard limit allows.
void Core::Enumerate() {
  rlim_t functions = 0;
  for (pci_dev* device = access_->devices; device != nullptr; device = device->next) ++functions;
  constexpr rlim_t kOtherFiles = 1024;  // what the process keeps open besides
  rlimit files{};
  if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < functions + kOtherFiles) {
    files.rlim_cur = std::min(files.rlim_max, functions + kOtherFiles);
    setrlimit(RLIMIT_NOFILE, &files);
  }
  for (pci_dev* device = access_->devices; device != nullptr; device = device->next) {
    if (device->domain != 0) continue;
    const uint32_t location = PciLocation{device->bus, device->dev, device->func}.Packed();
    const int fd = OpenConfigFile(device->bus, device->dev, device->func);
    // Extended space exists where its first dword can be read.
    uint8_t probe[4];
    const uint32_t size = ReadBlock(fd, 0x100, probe, 4) ? 4096 : 256;
    present_.set(location);
    functions_[location] = {fd, size};
    if (fd < 0) continue;
    config_files_.first = config_files_.count == 0 ? fd : std::min(config_files_.first, fd);
    config_files_.last = std::max(config_files_.last, fd);
    ++config_files_.count;
  }
}

int Core::OpenConfigFile(unsigned bus, unsigned device, unsigned function) const {
  char name[32];
  if (sysfs_method_) {
    std::snprintf(name, sizeof name, "/devices/0000:%02x:%02x.%u/config", bus, device, function);
  } else {
    std::snprintf(name, sizeof name, "/%02x/%02x.%u", bus, device, function);
  }
  const std::string root = sysfs_method_
                               ? (sysfs_root_.empty() ? PCI_PATH_SYS_BUS_PCI : sysfs_root_)
                               : (proc_root_.empty() ? PCI_PATH_PROC_BUS_PCI : proc_root_);
  const std::string path = root + name;
  // Without root the file opens for reading only, and writes fail as the kernel would fail them.
  const int fd = open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY);
  return fd >= 0 || (errno != EACCES && errno != EPERM && errno != EROFS)
             ? fd
             : open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
}

uint32_t Core::SpaceSize(uint32_t location) const {
  if (!Present(location)) return 0;
  return functions_.at(location).space_size;
}

const Core::Function* Core::Find(uint32_t location, uint32_t offset, uint32_t width) const {
  if (!Present(location)) return nullptr;
  const Function& function = functions_.at(location);
  return ConfigAccessValid(offset, width, function.space_size) ? &function : nullptr;
}

std::optional<uint32_t> Core::ReadConfig(uint32_t location, uint32_t offset, uint32_t width) {
  const Function* function = Find(location, offset, width);
  uint8_t bytes[4] = {};
  if (function == nullptr || !ReadBlock(function->fd, offset, bytes, width)) {
    return std::nullopt;
  }
  return FromLittleEndian(bytes, width);
}

uint32_t Core::ReadSpace(uint32_t location, uint8_t* bytes, uint32_t capacity) {
  if (!Present(location)) return 0;
  const Function& function = functions_.at(location);
  // As much as asked in one read; dword by dword only where the kernel cuts the read short (the
  // first 64 bytes without root).
  const uint32_t wanted = std::min(capacity & ~3u, function.space_size);
  if (wanted > 0 && ReadBlock(function.fd, 0, bytes, wanted)) return wanted;
  return ReadSpaceByDwords(function.space_size, bytes, capacity,
                           [&](uint32_t offset) { return ReadConfig(location, offset, 4); });
}

bool Core::WriteConfig(uint32_t location, uint32_t offset, uint32_t width, uint32_t value) {
  const Function* function = Find(location, offset, width);
  if (function == nullptr) return false;
  uint8_t bytes[4];
  ToLittleEndian(value, width, bytes);
  return WriteBlock(function->fd, offset, bytes, width);
}

std::optional<uint32_t> Core::ReadPort(uint32_t port) {
  return latch_.Read(
      port, [this](uint32_t location, uint32_t offset) { return ReadConfig(location, offset, 4); });
}

bool Core::WritePort(uint32_t port, uint32_t value) { return latch_.Write(port, value); }

}  // namespace qbus::access::linux_pci
