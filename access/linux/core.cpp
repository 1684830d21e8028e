#include "access/linux/core.h"

#include <csetjmp>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

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

// Runs `step` with the error hook armed. Only trivial locals live here, so the longjmp skips
// no destructor.
bool RunGuarded(void (*step)(pci_access*), pci_access* access, ErrorTrap* trap) {
  active_trap = trap;
  if (setjmp(trap->jump) != 0) {
    active_trap = nullptr;
    return false;
  }
  step(access);
  active_trap = nullptr;
  return true;
}

}  // namespace

Core::Core(std::string sysfs_root) : sysfs_root_(std::move(sysfs_root)) {}

Core::~Core() {
  if (access_ != nullptr) pci_cleanup(access_);
}

bool Core::Init() {
  if (TryMethod(PCI_ACCESS_SYS_BUS_PCI)) return true;
  // A fake tree is a sysfs tree; only the kernel's own machine may fall back to /proc.
  return sysfs_root_.empty() && TryMethod(PCI_ACCESS_PROC_BUS_PCI);
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

  ErrorTrap trap{};
  if (!RunGuarded(pci_init, access, &trap) || !RunGuarded(pci_scan_bus, access, &trap)) {
    error_ = trap.message;
    pci_cleanup(access);
    return false;
  }
  access_ = access;
  Enumerate();
  return true;
}

void Core::Enumerate() {
  for (pci_dev* device = access_->devices; device != nullptr; device = device->next) {
    if (device->domain != 0) continue;
    const uint32_t location =
        uint32_t{device->bus} << 8 | uint32_t{device->dev} << 3 | device->func;
    // Extended space exists where its first dword can be read.
    uint8_t probe[4];
    const uint32_t size = pci_read_block(device, 0x100, probe, 4) ? 4096 : 256;
    present_.set(location);
    functions_[location] = {device, size};
  }
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
  if (function == nullptr ||
      !pci_read_block(function->device, static_cast<int>(offset), bytes, static_cast<int>(width))) {
    return std::nullopt;
  }
  return FromLittleEndian(bytes, width);
}

bool Core::WriteConfig(uint32_t location, uint32_t offset, uint32_t width, uint32_t value) {
  const Function* function = Find(location, offset, width);
  if (function == nullptr) return false;
  uint8_t bytes[4];
  ToLittleEndian(value, width, bytes);
  return pci_write_block(function->device, static_cast<int>(offset), bytes,
                         static_cast<int>(width)) != 0;
}

std::optional<uint32_t> Core::ReadPort(uint32_t port) {
  return latch_.Read(
      port, [this](uint32_t location, uint32_t offset) { return ReadConfig(location, offset, 4); });
}

bool Core::WritePort(uint32_t port, uint32_t value) { return latch_.Write(port, value); }

}  // namespace qbus::access::linux_pci
