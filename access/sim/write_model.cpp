// SPDX-License-Identifier: GPL-3.0-or-later
#include "access/sim/write_model.h"

#include <algorithm>
#include <optional>

#include "access/common/config_access.h"
#include "config_space/capability_walk.h"
#include "config_space/header_offsets.h"
#include "config_space/register_tables.h"

namespace qbus::access::sim {
namespace {

uint32_t Dword(const config_space::FunctionImage& image, uint32_t offset) {
  return FromLittleEndian(&image.bytes[offset], 4);
}

void SetDwordMask(std::vector<uint8_t>& mask, uint32_t offset, uint32_t bits) {
  ToLittleEndian(bits, 4, &mask[offset]);
}

// Address bits of a BAR whose size is the alignment of its current address.
uint32_t SizedAddressMask(uint32_t address, uint32_t address_bits, uint32_t default_size) {
  const uint32_t size = address == 0 ? default_size : address & (~address + 1);
  return ~(size - 1) & address_bits;
}

// Masks of the BARs from `first` to `last`; returns nothing, fills `writable`.
void AddBars(const config_space::FunctionImage& image, uint32_t first, uint32_t last,
             std::vector<uint8_t>& writable) {
  for (uint32_t offset = first; offset <= last; offset += 4) {
    const uint32_t bar = Dword(image, offset);
    if (bar == 0) continue;
    if (bar & 1) {
      SetDwordMask(writable, offset, SizedAddressMask(bar & ~3u, ~3u, 0x20));
      continue;
    }
    SetDwordMask(writable, offset, SizedAddressMask(bar & ~15u, ~15u, 0x1000));
    if (((bar >> 1) & 3) == 2 && offset < last) {  // 64-bit: the next BAR is the upper half
      offset += 4;
      SetDwordMask(writable, offset, 0xFFFFFFFF);
    }
  }
}

void AddRom(const config_space::FunctionImage& image, uint32_t offset,
            std::vector<uint8_t>& writable) {
  const uint32_t rom = Dword(image, offset);
  if (rom != 0) SetDwordMask(writable, offset, SizedAddressMask(rom & ~0x7FFu, ~0x7FFu, 0x800) | 1);
}

// Reads the bytes the dump holds, for the capability walk.
std::optional<uint32_t> ReadHeld(const config_space::FunctionImage& image, uint32_t offset,
                                 uint32_t width) {
  if (offset + width > image.bytes.size()) return std::nullopt;
  for (uint32_t i = 0; i < width; ++i) {
    if (!image.held[offset + i]) return std::nullopt;
  }
  return FromLittleEndian(&image.bytes[offset], width);
}

// How bit `bit` of `reg` takes a write: its field's own kind, or the register's for a plain
// read-write field; a bit no field names is reserved.
config_space::Access BitAccess(const config_space::RegisterName& reg, int bit) {
  if (reg.fields.empty()) return reg.access;
  for (const config_space::FieldName& field : reg.fields) {
    if (bit >= field.low && bit <= field.high) {
      return field.access != config_space::Access::kReadWrite ? field.access : reg.access;
    }
  }
  return config_space::Access::kReadOnly;
}

void ApplyRegister(const config_space::RegisterName& reg, uint32_t start,
                   config_space::Access forced, WriteMasks& masks) {
  for (int bit = 0; bit < reg.size * 8; ++bit) {
    const config_space::Access access =
        forced == config_space::Access::kReadOnly ? forced : BitAccess(reg, bit);
    const uint32_t byte = start + static_cast<uint32_t>(bit / 8);
    const auto mask = static_cast<uint8_t>(1u << (bit % 8));
    masks.writable[byte] &= static_cast<uint8_t>(~mask);
    masks.clear_on_one[byte] &= static_cast<uint8_t>(~mask);
    if (access == config_space::Access::kReadWrite) masks.writable[byte] |= mask;
    if (access == config_space::Access::kWriteOneToClear) masks.clear_on_one[byte] |= mask;
  }
}

// Every register the tables name in a capability the function has takes its fields' kinds.
// A register the capability does not reach (past its length: MSI without 64-bit addresses or
// masking, PCI Express version 1) is left as the rest of the space.
void ApplyCapabilityTables(const config_space::ConfigLayout& layout,
                           const config_space::FunctionImage& image, WriteMasks& masks) {
  for (const config_space::CapabilityAt& capability : layout.capabilities) {
    if (capability.name == nullptr) continue;
    const uint32_t end = config_space::CapabilityEnd(layout, capability);
    // MSI with masking but 32-bit addresses: its last dword holds the pending bits.
    const bool msi_pending_at_0x10 =
        !capability.extended && capability.id == 0x05 && capability.length == 0x14;
    for (const config_space::RegisterName& reg : capability.registers) {
      const uint32_t start = capability.offset + static_cast<uint32_t>(reg.offset);
      if (start + static_cast<uint32_t>(reg.size) > std::min<size_t>(end, image.bytes.size())) {
        continue;
      }
      const bool pending = msi_pending_at_0x10 && reg.offset == 0x10;
      ApplyRegister(reg, start,
                    pending ? config_space::Access::kReadOnly : config_space::Access::kReadWrite,
                    masks);
    }
  }
}

}  // namespace

WriteMasks BuildWriteMasks(const config_space::FunctionImage& image) {
  const size_t size = image.bytes.size();
  WriteMasks masks{std::vector<uint8_t>(size, 0), std::vector<uint8_t>(size, 0)};
  std::vector<uint8_t>& writable = masks.writable;

  for (size_t offset = config_space::header::kHeaderEnd; offset < size; ++offset) {
    writable[offset] = 0xFF;
  }
  // The one capability walk of the register knowledge, as the names see the lists (from 0x14 on
  // a CardBus bridge). Each capability's ID and next pointer are read-only.
  const config_space::ConfigLayout layout = config_space::ReadConfigLayout(
      [&image](uint32_t offset, uint32_t width) { return ReadHeld(image, offset, width); });
  ApplyCapabilityTables(layout, image, masks);
  for (const config_space::CapabilityAt& capability : layout.capabilities) {
    const uint32_t header = capability.extended ? 4 : 2;
    for (uint32_t i = 0; i < header && capability.offset + i < size; ++i) {
      writable[capability.offset + i] = masks.clear_on_one[capability.offset + i] = 0;
    }
  }

  namespace header = config_space::header;
  writable[header::kCommand] = 0x57;               // I/O, memory, bus master, MWI, parity response
  writable[header::kCommand + 1] = 0x05;           // SERR#, interrupt disable
  masks.clear_on_one[header::kStatus + 1] = 0xF9;  // the error bits; DEVSEL timing is read-only
  writable[header::kCacheLineSize] = writable[header::kLatencyTimer] = 0xFF;
  writable[header::kInterruptLine] = 0xFF;

  if ((image.bytes[header::kHeaderType] & 0x7F) == 1) {
    AddBars(image, header::kBar0, header::kBridgeLastBar, writable);
    // Primary, secondary, subordinate bus and secondary latency timer.
    for (uint32_t offset = header::kPrimaryBus; offset <= header::kSecondaryLatencyTimer;
         ++offset) {
      writable[offset] = 0xFF;
    }
    writable[header::kIoBase] = writable[header::kIoBase + 1] = 0xF0;
    masks.clear_on_one[header::kSecondaryStatus + 1] = 0xF9;
    // Memory and prefetchable windows, then the upper halves of prefetchable and I/O windows.
    for (uint32_t offset = header::kMemoryBase; offset <= header::kPrefetchableLimit + 1;
         ++offset) {
      writable[offset] = offset & 1 ? 0xFF : 0xF0;
    }
    for (uint32_t offset = header::kPrefetchableBaseUpper; offset <= header::kIoLimitUpper + 1;
         ++offset) {
      writable[offset] = 0xFF;
    }
    AddRom(image, header::kBridgeRomAddress, writable);
    writable[header::kBridgeControl] = 0xFF;
    writable[header::kBridgeControl + 1] = 0x0F;
  } else if ((image.bytes[header::kHeaderType] & 0x7F) == 0) {
    AddBars(image, header::kBar0, header::kLastBar, writable);
    AddRom(image, header::kRomAddress, writable);
  }

  // What the dump does not give stays all-ones.
  for (size_t offset = 0; offset < size; ++offset) {
    if (!image.held[offset]) writable[offset] = masks.clear_on_one[offset] = 0;
  }
  return masks;
}

}  // namespace qbus::access::sim
