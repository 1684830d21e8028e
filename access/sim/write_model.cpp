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

void ApplyRegister(const config_space::RegisterName& reg, uint32_t start, WriteMasks& masks) {
  for (int bit = 0; bit < reg.size * 8; ++bit) {
    const config_space::Access access = config_space::BitAccess(reg.fields, reg.access, bit);
    const uint32_t byte = start + static_cast<uint32_t>(bit / 8);
    const auto mask = static_cast<uint8_t>(1u << (bit % 8));
    masks.writable[byte] &= static_cast<uint8_t>(~mask);
    masks.clear_on_one[byte] &= static_cast<uint8_t>(~mask);
    if (access == config_space::Access::kReadWrite) masks.writable[byte] |= mask;
    if (access == config_space::Access::kWriteOneToClear) masks.clear_on_one[byte] |= mask;
  }
}

// Every register the tables name in the header and in each capability the function has takes
// its fields' kinds; a capability the tables do not know has only its header, read-only. A
// register past the capability's end (MSI without masking, PCI Express version 1) is left as
// the rest of the space. BARs and the expansion ROM are sized apart (AddBars, AddRom).
void ApplyTables(const config_space::ConfigLayout& layout, const config_space::FunctionImage& image,
                 WriteMasks& masks) {
  namespace header = config_space::header;
  const int type = layout.header_type;
  const uint32_t rom = type == 0 ? header::kRomAddress : header::kBridgeRomAddress;
  const auto apply = [&](std::span<const config_space::RegisterName> registers, uint32_t base,
                         uint32_t end, bool in_header) {
    for (const config_space::RegisterName& reg : registers) {
      const uint32_t start = base + static_cast<uint32_t>(reg.offset);
      if (start + static_cast<uint32_t>(reg.size) > std::min<size_t>(end, image.bytes.size())) {
        continue;
      }
      const bool sized =
          in_header && type != 2 &&
          ((start >= header::kBar0 && start < header::BarsEnd(type)) || start == rom);
      if (!sized) ApplyRegister(reg, start, masks);
    }
  };
  apply(config_space::CommonHeader(), 0, header::kCommonHeaderEnd, true);
  apply(config_space::TypeHeader(type), 0, header::HeaderEnd(type), true);
  for (const config_space::CapabilityAt& capability : layout.capabilities) {
    apply(capability.registers, capability.offset, config_space::CapabilityEnd(layout, capability),
          false);
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
  // a CardBus bridge).
  const config_space::ConfigLayout layout = config_space::ReadConfigLayout(
      [&image](uint32_t offset, uint32_t width) { return ReadHeld(image, offset, width); });
  ApplyTables(layout, image, masks);

  namespace header = config_space::header;
  if (layout.header_type == 1) {
    AddBars(image, header::kBar0, header::kBridgeLastBar, writable);
    AddRom(image, header::kBridgeRomAddress, writable);
  } else if (layout.header_type == 0) {
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
