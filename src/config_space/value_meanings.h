// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "config_space/capability_walk.h"
#include "config_space/register_tables.h"

// What a field's value means: "2.5 GT/s", "x16", "256 bytes", "INTA#", a class name, a BAR's
// base address. Decoding only reads; nothing here needs a write (a BAR's size never shows).
namespace qbus::config_space {

enum class ClassPart { kClass, kSubclass, kProgrammingInterface };

// Names a function's vendor, its device, or the vendor and the device of its subsystem:
// "Samsung Electronics Co Ltd", "NVMe SSD Controller SM981/PM981/PM983", "SSD 970 EVO"; empty
// when the PCI ID database has no name.
enum class IdPart { kVendor, kDevice, kSubsystemVendor, kSubsystem };
using IdNamer = std::function<std::string(IdPart part, uint16_t vendor, uint16_t device,
                                          uint16_t subsystem_vendor, uint16_t subsystem)>;

// Names one part of the class bytes (0x0B, 0x0A, 0x09): "Mass storage controller", "SATA
// controller", "AHCI 1.0"; empty when it has no name.
using ClassNamer =
    std::function<std::string(ClassPart part, uint8_t base, uint8_t sub, uint8_t interface)>;

// The bytes a description decodes: `width` bytes at `offset` hold `value` (what a row of bit
// boxes shows, which need not be what the function holds). A field that lies partly outside
// them has no meaning here; what a meaning needs beyond the field (the other class bytes, the
// other half of a 64-bit BAR) is read through `read`.
struct ShownBytes {
  uint32_t offset = 0;
  int width = 0;
  uint32_t value = 0;
  ConfigReader read;       // empty: nothing beyond the shown bytes
  ClassNamer class_names;  // empty: class bytes have no meaning
  IdNamer id_names;        // empty: identifiers have no names

  // The byte at `at`: a shown one, else read; nothing when neither is possible.
  std::optional<uint32_t> Byte(uint32_t at) const;
  // Bits `low` to `high` of the register that starts at `start`, when all lie in the shown
  // bytes.
  std::optional<uint32_t> Field(uint32_t start, int low, int high) const;
};

// What `value` of a field with `meaning`, in the register that starts at `start`, means; empty
// when the standard gives it none or what it needs cannot be read.
std::string MeaningOf(Meaning meaning, uint32_t value, uint32_t start, const ShownBytes& shown);
// The same for `field`, whose value is `value`: its named encodings where it has them, else its
// meaning; an address field (kAddress) is put back in its place.
std::string MeaningOfField(const FieldName& field, uint32_t value, uint32_t start,
                           const ShownBytes& shown);

}  // namespace qbus::config_space
