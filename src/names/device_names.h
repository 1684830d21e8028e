// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

struct pci_access;

// Vendor and device names from the PCI ID database (`pci.ids`, through libpci's name lookup).
// Names only: this never touches the hardware, and asks no network and no other database.
namespace qbus::names {

class DeviceNames {
 public:
  // `id_file`: the database to read; empty for the system's.
  explicit DeviceNames(std::string id_file = {});
  ~DeviceNames();
  DeviceNames(const DeviceNames&) = delete;
  DeviceNames& operator=(const DeviceNames&) = delete;

  // "Intel Corporation 82371SB PIIX3 ISA [Natoma/Triton II] (0x8086:0x7000)"; with what is
  // known when a name is missing: "Intel Corporation, device 0x7000 (no name in the PCI ID
  // database)", "Vendor 0x1D0F, device 0xEFA1 (no name in the PCI ID database)".
  std::string Describe(uint16_t vendor, uint16_t device);

  // The name of a vendor, of one of its devices, and of a subsystem of that device
  // ("Samsung Electronics Co Ltd", "NVMe SSD Controller SM981/PM981/PM983", "SSD 970 EVO");
  // empty when unnamed.
  std::string VendorName(uint16_t vendor);
  std::string DeviceName(uint16_t vendor, uint16_t device);
  std::string SubsystemName(uint16_t vendor, uint16_t device, uint16_t subsystem_vendor,
                            uint16_t subsystem);

  // The names of a function's class bytes: its class ("Mass storage controller"), subclass
  // ("SATA controller") and programming interface ("AHCI 1.0"); empty when unnamed.
  std::string ClassName(uint8_t base);
  std::string SubclassName(uint8_t base, uint8_t sub);
  std::string InterfaceName(uint8_t base, uint8_t sub, uint8_t interface);

  // What a dump's first line says of a function after its location, as `lspci` prints it:
  // "Host bridge: Intel Corporation Device 0d57", with numbers where a name is missing
  // ("Unassigned class [ffff]: Device 1af4:1045").
  std::string DumpHeading(uint16_t vendor, uint16_t device, uint8_t base, uint8_t sub);

 private:
  // `numbers`: where a name is missing, the numbers in its place, as lspci shows them.
  std::string Lookup(int flags, uint16_t first, uint16_t second, bool numbers = false,
                     uint16_t third = 0, uint16_t fourth = 0);
  // A subclass lookup: the subclass's name, or else the class's own as "Name [0106]".
  std::string LookupClass(uint8_t base, uint8_t sub);

  std::string id_file_;  // libpci keeps a pointer to it
  pci_access* access_;
};

}  // namespace qbus::names
