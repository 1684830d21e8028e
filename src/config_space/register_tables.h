// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>

// The names of configuration registers and of their bit fields, as data: the standard header of
// each header type, the capabilities and the extended capabilities. Offsets are in bytes from
// the start of the header or of the capability; bit numbers count within the register.
namespace qbus::config_space {

enum class Access { kReadWrite, kReadOnly, kWriteOneToClear };
// "read-write", "read-only", "write 1 to clear".
const char* AccessName(Access access);

// What a field's value means where the standard defines it (value_meanings.h).
enum class Meaning {
  kNone,
  kLinkSpeed,      // 1: 2.5 GT/s ... 6: 64 GT/s
  kLinkWidth,      // x1, x2, ...
  kSpeedVector,    // bit 0: 2.5 GT/s ... bit 6: 64 GT/s, each one supported
  kSize128,        // 128 << value bytes: payload and read-request sizes
  kAspmControl,    // disabled, L0s, L1, L0s and L1
  kAspmSupport,    // none, L0s, L1, L0s and L1
  kPortType,       // PCI Express device/port type
  kPowerState,     // D0 to D3hot
  kInterruptPin,   // none, INTA# to INTD#
  kHeaderLayout,   // header type 0, 1, 2
  kMultiFunction,  // single- or multi-function device
  kClass,          // names from the PCI ID database
  kSubclass,
  kProgrammingInterface,
  kSpaceIndicator,  // BAR bit 0: memory or I/O
  kMemoryType,      // BAR bits 2-1
  kPrefetchable,    // BAR bit 3
  kMemoryBase,      // BAR bits 31-4, with the upper half of a 64-bit BAR
  kIoBase,          // I/O BAR bits 31-2
  kUpperBase,       // the upper half: the 64-bit base with the lower half
  kCapabilityId,
  kExtendedCapabilityId,
  kMessageCount,         // MSI: 1 << value messages
  kTableSize,            // MSI-X: value + 1 entries
  kTimeoutRanges,        // Completion Timeout Ranges Supported: A to D
  kTimeoutValue,         // Completion Timeout Value: the range it picks
  kObffSupport,          // none, message, WAKE#, both
  kObffControl,          // disabled, variation A, variation B, WAKE#
  kLtrLatency,           // value times 32 to the power of the scale (bits 12-10), in ns
  kBarSizes,             // bit 4: 1 MB ... each one supported
  kBarSize,              // 1 MB << value
  kNumber,               // the value in decimal: a count, a number, a time in the field's unit
  kNumberPlusOne,        // value + 1 in decimal: sizes and counts that start at 0 for 1
  kPowerOfTwo,           // 1 << value in decimal
  kAddress,              // the value in its place (value << low bit), as a hex address or offset
  kTargetLinkSpeed,      // as kLinkSpeed; 0 is 2.5 GT/s on a link that can go no faster
  kSlotPower,            // Slot Power Limit Value, in watts by the scale in the two bits above it
  kWindowBase,           // a bridge window's base field: the range it and its limit open
  kWindowLimit,          // a bridge window's limit field: its last address
  kLastAddress,          // as kAddress, with the bits below the field all ones
  kDwords,               // the value in dwords, as bytes: a cache line
  kQuarterMicroseconds,  // the value in units of 250 ns: Min_Gnt, Max_Lat
  kPowerOnTime,          // T_POWER_ON: the value times 2, 10 or 100 us by the scale 3 bits below
  kL12Threshold,         // LTR_L1.2_THRESHOLD: the value times 32 to the power of bits 31-29, in ns
  kVendorName,           // names from the PCI ID database: of the Vendor ID
  kDeviceName,           // of the Device ID, with the Vendor ID before it
  kSubsystemVendorName,  // of a Subsystem Vendor ID
  kSubsystemName,        // of a Subsystem ID, with its Subsystem Vendor ID before it
};

struct FieldName {
  int low, high;  // bit range within the register
  const char* name;
  Access access = Access::kReadWrite;
  Meaning meaning = Meaning::kNone;
  // Each encoding's meaning, by value, where the layout names them ("8 bits", "16 bits"); a
  // null entry or a value past the end is reserved. Takes the place of `meaning`.
  std::span<const char* const> values = {};
};

struct RegisterName {
  int offset;  // bytes from the start of the header or capability
  int size;    // 1, 2 or 4 bytes
  const char* name;
  std::span<const FieldName> fields = {};  // empty: one field, the whole register
  // Of the whole register when it has no fields; otherwise of those of its fields that are
  // read-write, so that a status register shares its mask register's fields.
  Access access = Access::kReadWrite;
  Meaning meaning = Meaning::kNone;  // of the whole register, when it has no fields
};

// How bit `bit` of a register takes a write: the kind of the field of `fields` that holds it, where
// a read-write field takes the register's own `access` (a status register shares its control
// register's fields); a bit no field names is reserved, read-only. Without fields the whole
// register is of `access`.
Access BitAccess(std::span<const FieldName> fields, Access access, int bit);

// Bytes 0x00 to 0x0F, the same for every header type.
std::span<const RegisterName> CommonHeader();
// What a BAR holds, from its bit 0 and memory type: a memory BAR, an I/O BAR, or the upper half
// of the 64-bit memory BAR before it. Each has its own fields.
enum class BarKind { kMemory, kIo, kUpperHalf };
std::span<const FieldName> BarFields(BarKind kind);

// Bytes 0x10 to 0x3F for header type 0 (devices), 1 (PCI bridges) and 2 (CardBus bridges, whose
// header runs to 0x47); empty for any other type.
std::span<const RegisterName> TypeHeader(int header_type);

// Reads `width` bytes (1, 2 or 4) at byte `offset` of one function's configuration space;
// nothing when the read fails. The program reads through its access library, the simulated
// machine through its own bytes.
using ConfigReader = std::function<std::optional<uint32_t>(uint32_t offset, uint32_t width)>;

// The registers of a capability whose layout its own fields decide (an MSI capability's address
// width and masking, a PCI Express port's type and slot, a PCI-X bridge or device), for the one
// at byte `at` of a function with header type `header_type`.
using LayoutChooser = std::span<const RegisterName> (*)(const ConfigReader& read, uint32_t at,
                                                        int header_type);

// A capability of the list that starts at 0x34 (0x14 for CardBus), or of the extended list
// that starts at 0x100: its name and, for the well-known ones, its registers.
struct CapabilityName {
  int id;
  const char* name;
  std::span<const RegisterName> registers;  // empty: named only
  // Bytes from its first byte to its end; 0 where one of its own fields gives the length (MSI,
  // PCI Express, PCI-X, vendor-specific) or where it has no fixed length.
  uint32_t length = 0;
  // Where the registers depend on the capability's fields: they replace `registers`, and
  // without a `length` the capability ends after the last of them.
  LayoutChooser choose = nullptr;
};

// The capability with `id`, or null when it has no name here.
const CapabilityName* FindCapability(int id);
const CapabilityName* FindExtendedCapability(int id);

}  // namespace qbus::config_space
