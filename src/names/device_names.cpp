// SPDX-License-Identifier: GPL-3.0-or-later
#include "names/device_names.h"

#include <csetjmp>
#include <cstdlib>

extern "C" {
#include <pci/pci.h>
}

#include "text/register_texts.h"

namespace qbus::names {
namespace {

// The name lookup reports a damaged database as a warning and skips it.
void Quiet(char*, ...) {}

// libpci treats its error hook as one that never returns, and its default ends the process. A
// lookup that fails that way (out of memory) leaves here by longjmp instead and has no name; the
// window goes on. The one lookup in progress is reached through this pointer.
thread_local std::jmp_buf* active_lookup = nullptr;

[[noreturn]] void LeaveLookup(char*, ...) {
  if (active_lookup == nullptr) std::abort();  // every call that can fail this way is guarded
  std::longjmp(*active_lookup, 1);
}

std::string Hex(uint16_t value) { return text::HexLiteral(value, 4); }

// Without a subclass's name, the class lookup falls back to the class's, marked " [0106]".
bool IsClassFallback(const std::string& found) {
  constexpr size_t kMark = 7;
  return found.size() > kMark && found.compare(found.size() - kMark, 2, " [") == 0 &&
         found.back() == ']';
}

}  // namespace

DeviceNames::DeviceNames(std::string id_file) : id_file_(std::move(id_file)), access_(pci_alloc()) {
  access_->error = LeaveLookup;
  access_->warning = Quiet;
  access_->debug = Quiet;
  if (!id_file_.empty()) pci_set_name_list_path(access_, id_file_.data(), 0);
}

DeviceNames::~DeviceNames() { pci_cleanup(access_); }

std::string DeviceNames::Lookup(int flags, uint16_t first, uint16_t second, bool numbers,
                                uint16_t third, uint16_t fourth) {
  flags |= PCI_LOOKUP_NO_HWDB | (numbers ? 0 : PCI_LOOKUP_NO_NUMBERS);
  char name[256];
  const char* volatile found = nullptr;
  std::jmp_buf jump;
  active_lookup = &jump;
  // Only trivial locals live between setjmp and the lookup, so the longjmp skips no destructor.
  if (setjmp(jump) == 0) {
    found = pci_lookup_name(access_, name, sizeof name, flags, first, second, third, fourth);
  }
  active_lookup = nullptr;
  return found == nullptr ? std::string() : std::string(found);
}

std::string DeviceNames::VendorName(uint16_t vendor) {
  return Lookup(PCI_LOOKUP_VENDOR, vendor, 0);
}

std::string DeviceNames::DeviceName(uint16_t vendor, uint16_t device) {
  return Lookup(PCI_LOOKUP_DEVICE, vendor, device);
}

std::string DeviceNames::SubsystemName(uint16_t vendor, uint16_t device, uint16_t subsystem_vendor,
                                       uint16_t subsystem) {
  return Lookup(PCI_LOOKUP_SUBSYSTEM | PCI_LOOKUP_DEVICE, vendor, device, false, subsystem_vendor,
                subsystem);
}

std::string DeviceNames::Describe(uint16_t vendor, uint16_t device) {
  const std::string vendor_name = Lookup(PCI_LOOKUP_VENDOR, vendor, device);
  const std::string device_name = Lookup(PCI_LOOKUP_DEVICE, vendor, device);
  if (!vendor_name.empty() && !device_name.empty()) {
    return vendor_name + " " + device_name + " (" + Hex(vendor) + ":" + Hex(device) + ")";
  }
  const std::string who = vendor_name.empty() ? "Vendor " + Hex(vendor) : vendor_name;
  return who + ", device " + Hex(device) + " (no name in the PCI ID database)";
}

std::string DeviceNames::LookupClass(uint8_t base, uint8_t sub) {
  return Lookup(PCI_LOOKUP_CLASS, static_cast<uint16_t>(base << 8 | sub), 0);
}

std::string DeviceNames::ClassName(uint8_t base) {
  // No class has a subclass 0xFF, so this finds the class itself.
  const std::string found = LookupClass(base, 0xFF);
  return IsClassFallback(found) ? found.substr(0, found.size() - 7) : std::string();
}

std::string DeviceNames::SubclassName(uint8_t base, uint8_t sub) {
  const std::string found = LookupClass(base, sub);
  return IsClassFallback(found) ? std::string() : found;
}

std::string DeviceNames::InterfaceName(uint8_t base, uint8_t sub, uint8_t interface) {
  return Lookup(PCI_LOOKUP_PROGIF, static_cast<uint16_t>(base << 8 | sub), interface);
}

std::string DeviceNames::DumpHeading(uint16_t vendor, uint16_t device, uint8_t base, uint8_t sub) {
  return Lookup(PCI_LOOKUP_CLASS, static_cast<uint16_t>(base << 8 | sub), 0, true) + ": " +
         Lookup(PCI_LOOKUP_VENDOR | PCI_LOOKUP_DEVICE, vendor, device, true);
}

}  // namespace qbus::names
