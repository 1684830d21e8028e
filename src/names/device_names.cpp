// SPDX-License-Identifier: GPL-3.0-or-later
#include "names/device_names.h"

#include <cstdio>

extern "C" {
#include <pci/pci.h>
}

#include "text/register_texts.h"

namespace qbus::names {
namespace {

// The name lookup reports a damaged database as a warning and skips it; nothing else of it can
// fail with the flags used here.
void Quiet(char*, ...) {}

std::string Hex(uint16_t value) { return text::HexLiteral(value, 4); }

}  // namespace

DeviceNames::DeviceNames(std::string id_file) : id_file_(std::move(id_file)), access_(pci_alloc()) {
  access_->warning = Quiet;
  access_->debug = Quiet;
  if (!id_file_.empty()) pci_set_name_list_path(access_, id_file_.data(), 0);
}

DeviceNames::~DeviceNames() { pci_cleanup(access_); }

std::string DeviceNames::Lookup(int flags, uint16_t vendor, uint16_t device) {
  char name[256];
  const char* found =
      pci_lookup_name(access_, name, sizeof name,
                      flags | PCI_LOOKUP_NO_NUMBERS | PCI_LOOKUP_NO_HWDB, vendor, device);
  return found == nullptr ? std::string() : std::string(found);
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

}  // namespace qbus::names
