// SPDX-License-Identifier: GPL-3.0-or-later
#include "config_space/value_meanings.h"

#include <array>

#include "config_space/header_offsets.h"
#include "text/register_texts.h"

namespace qbus::config_space {
namespace {

std::string Reserved(uint32_t value) { return "reserved (" + std::to_string(value) + ")"; }

template <size_t N>
std::string Pick(const std::array<const char*, N>& names, uint32_t value) {
  return value < N && names[value] != nullptr ? names[value] : Reserved(value);
}

std::optional<uint32_t> Bytes(const ShownBytes& shown, uint32_t at, uint32_t count) {
  uint32_t value = 0;
  for (uint32_t i = 0; i < count; ++i) {
    const std::optional<uint32_t> byte = shown.Byte(at + i);
    if (!byte) return std::nullopt;
    value |= *byte << (8 * i);
  }
  return value;
}
std::optional<uint32_t> Dword(const ShownBytes& shown, uint32_t at) { return Bytes(shown, at, 4); }

// `bytes` in the largest unit that keeps it whole: "4 KB", "1 MB".
std::string SizeText(uint64_t bytes) {
  static constexpr const char* kUnits[] = {"bytes", "KB", "MB", "GB", "TB", "PB", "EB"};
  size_t unit = 0;
  while (unit + 1 < std::size(kUnits) && bytes >= 1024 && bytes % 1024 == 0) {
    bytes /= 1024;
    ++unit;
  }
  return std::to_string(bytes) + " " + kUnits[unit];
}

// A bridge's I/O, memory or prefetchable window, from the register at `start` (its base or its
// limit): first and last address, and how many hex digits its addresses take.
struct Window {
  uint64_t base = 0, limit = 0;
  int digits = 8;
};
std::optional<Window> WindowAt(uint32_t start, const ShownBytes& shown) {
  Window window;
  if (start == header::kIoBase || start == header::kIoBase + 1) {
    const auto base = shown.Byte(header::kIoBase), limit = shown.Byte(header::kIoBase + 1);
    if (!base || !limit) return std::nullopt;
    window.base = (*base & 0xF0u) << 8;
    window.limit = (*limit & 0xF0u) << 8 | 0xFFF;
    window.digits = 4;
    if ((*base & 0xF) == 1) {
      const auto upper = Bytes(shown, header::kIoLimitUpper - 2, 4);
      if (!upper) return std::nullopt;
      window.base |= uint64_t{*upper & 0xFFFF} << 16;
      window.limit |= uint64_t{*upper >> 16} << 16;
      window.digits = 8;
    }
    return window;
  }
  const bool prefetchable = start >= header::kPrefetchableLimit - 2;
  const uint32_t at = prefetchable ? header::kPrefetchableLimit - 2 : header::kMemoryBase;
  const auto pair = Dword(shown, at);
  if (!pair) return std::nullopt;
  window.base = uint64_t{*pair & 0xFFF0} << 16;
  window.limit = uint64_t{*pair >> 20} << 20 | 0xFFFFF;
  if (prefetchable && (*pair & 0xF) == 1) {
    const auto base_upper = Dword(shown, header::kPrefetchableBaseUpper),
               limit_upper = Dword(shown, header::kPrefetchableBaseUpper + 4);
    if (!base_upper || !limit_upper) return std::nullopt;
    window.base |= uint64_t{*base_upper} << 32;
    window.limit |= uint64_t{*limit_upper} << 32;
    window.digits = 16;
  }
  return window;
}

std::string WindowMeaning(bool base, uint32_t start, const ShownBytes& shown) {
  const std::optional<Window> window = WindowAt(start, shown);
  if (!window) return {};
  const auto address = [&](uint64_t a) {
    return text::HexLiteral(static_cast<int64_t>(a), window->digits);
  };
  if (!base) return address(window->limit);
  if (window->base > window->limit) return "disabled";
  return address(window->base) + "-" + address(window->limit) + " (" +
         SizeText(window->limit - window->base + 1) + ")";
}

// Slot Power Limit Value `value`, scaled by the two bits above it: "25 W", "7.5 W".
std::string SlotPower(uint32_t value, std::optional<uint32_t> scale) {
  if (!scale) return {};
  if (*scale == 0 && value >= 0xF0) {
    return value <= 0xF2 ? std::to_string(250 + 25 * (value - 0xF0)) + " W" : "above 300 W";
  }
  // Milliwatts, printed without trailing zeros.
  uint64_t milliwatts = value * 1000ull;
  for (uint32_t i = 0; i < *scale; ++i) milliwatts /= 10;
  std::string text = std::to_string(milliwatts / 1000);
  if (const uint64_t fraction = milliwatts % 1000; fraction != 0) {
    std::string digits = std::to_string(1000 + fraction).substr(1);
    while (digits.back() == '0') digits.pop_back();
    text += "." + digits;
  }
  return text + " W";
}

std::string Address(uint64_t base, bool wide) {
  return text::HexLiteral(static_cast<int64_t>(base), wide ? 16 : 8);
}

// A memory BAR's base from its lower dword, with the upper half that follows a 64-bit one.
std::string MemoryBase(uint32_t lower, uint32_t start, const ShownBytes& shown) {
  if (((lower >> 1) & 3) != 2) return Address(lower & ~0xFu, false);
  // The last BAR has no BAR after it to hold an upper half.
  const std::optional<uint32_t> type = shown.Byte(header::kHeaderType);
  if (type && start + 4 >= header::BarsEnd(static_cast<int>(*type & 0x7F))) {
    return Address(lower & ~0xFu, false) + " (64-bit, but no BAR follows for the upper half)";
  }
  const std::optional<uint32_t> upper = Dword(shown, start + 4);
  if (!upper) return Address(lower & ~0xFu, false) + " (upper half unknown)";
  return Address(uint64_t{*upper} << 32 | (lower & ~0xFu), true);
}

std::string ClassName(ClassPart part, const ShownBytes& shown) {
  const std::optional<uint32_t> base = shown.Byte(header::kClassCode),
                                sub = shown.Byte(header::kSubclass),
                                interface = shown.Byte(header::kProgrammingInterface);
  if (!shown.class_names || !base || !sub || !interface) return {};
  const std::string name =
      shown.class_names(part, static_cast<uint8_t>(*base), static_cast<uint8_t>(*sub),
                        static_cast<uint8_t>(*interface));
  return name.empty() ? "no name in the PCI ID database" : name;
}

// 1 MB << `power`, in the largest unit that keeps it whole.
std::string BarSize(uint32_t power) {
  static constexpr const char* kUnits[] = {"MB", "GB", "TB", "PB", "EB"};
  if (power >= 50) return Reserved(power);
  return std::to_string(1u << (power % 10)) + " " + kUnits[power / 10];
}

// The name of an identifier: `value` at `start`, with what its lookup needs read beside it.
std::string IdName(IdPart part, uint32_t value, uint32_t start, const ShownBytes& shown) {
  if (!shown.id_names) return {};
  const auto id = [&](uint32_t at) { return Bytes(shown, at, 2); };
  std::optional<uint32_t> vendor = id(header::kVendorId), device = id(header::kDeviceId),
                          subsystem_vendor = value, subsystem = 0;
  if (part == IdPart::kDevice) device = value;
  if (part == IdPart::kSubsystem) {
    subsystem_vendor = id(start - 2);
    subsystem = value;
  }
  if (!vendor || !device || !subsystem_vendor) return {};
  const std::string name =
      shown.id_names(part, static_cast<uint16_t>(*vendor), static_cast<uint16_t>(*device),
                     static_cast<uint16_t>(*subsystem_vendor), static_cast<uint16_t>(*subsystem));
  return name.empty() ? "no name in the PCI ID database" : name;
}

std::string CapabilityNameOf(const CapabilityName* capability) {
  return capability != nullptr ? capability->name : "no capability of this ID is known";
}

}  // namespace

std::optional<uint32_t> ShownBytes::Byte(uint32_t at) const {
  if (at >= offset && at < offset + static_cast<uint32_t>(width)) {
    return (value >> (8 * (at - offset))) & 0xFF;
  }
  if (!read) return std::nullopt;
  return read(at, 1);
}

std::optional<uint32_t> ShownBytes::Field(uint32_t start, int low, int high) const {
  const uint32_t first = start + static_cast<uint32_t>(low / 8);
  const uint32_t last = start + static_cast<uint32_t>(high / 8);
  if (first < offset || last >= offset + static_cast<uint32_t>(width)) return std::nullopt;
  const int shift = static_cast<int>(start - offset) * 8 + low;
  const int bits = high - low + 1;
  const uint32_t mask = bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
  return (value >> shift) & mask;
}

std::string MeaningOf(Meaning meaning, uint32_t value, uint32_t start, const ShownBytes& shown) {
  static constexpr std::array<const char*, 7> kSpeeds = {nullptr,   "2.5 GT/s", "5 GT/s", "8 GT/s",
                                                         "16 GT/s", "32 GT/s",  "64 GT/s"};
  static constexpr std::array<const char*, 4> kAspm = {"disabled", "L0s", "L1", "L0s and L1"};
  static constexpr std::array<const char*, 4> kAspmSupport = {"no ASPM", "L0s", "L1", "L0s and L1"};
  static constexpr std::array<const char*, 11> kPortTypes = {"PCI Express Endpoint",
                                                             "Legacy PCI Express Endpoint",
                                                             nullptr,
                                                             nullptr,
                                                             "Root Port",
                                                             "Upstream Port of a Switch",
                                                             "Downstream Port of a Switch",
                                                             "PCI Express to PCI/PCI-X Bridge",
                                                             "PCI/PCI-X to PCI Express Bridge",
                                                             "Root Complex Integrated Endpoint",
                                                             "Root Complex Event Collector"};
  static constexpr std::array<const char*, 4> kPowerStates = {"D0", "D1", "D2", "D3hot"};
  static constexpr std::array<const char*, 5> kPins = {"none", "INTA#", "INTB#", "INTC#", "INTD#"};
  static constexpr std::array<const char*, 3> kLayouts = {
      "device (type 0)", "PCI-to-PCI bridge (type 1)", "CardBus bridge (type 2)"};
  static constexpr std::array<const char*, 4> kMemoryTypes = {"32-bit", "below 1 MiB", "64-bit",
                                                              nullptr};
  switch (meaning) {
    case Meaning::kNone:
      return {};
    case Meaning::kLinkSpeed:
      return Pick(kSpeeds, value);
    case Meaning::kLinkWidth:
      return "x" + std::to_string(value);
    case Meaning::kSpeedVector: {
      std::string speeds;
      for (uint32_t bit = 0; bit < 7; ++bit) {
        if ((value >> bit & 1) == 0) continue;
        const std::string speed = bit + 1 < kSpeeds.size() ? kSpeeds[bit + 1] : "reserved";
        speeds += (speeds.empty() ? "" : ", ") + speed;
      }
      return speeds.empty() ? "none" : speeds;
    }
    case Meaning::kSize128:
      return value <= 5 ? std::to_string(128u << value) + " bytes" : Reserved(value);
    case Meaning::kAspmControl:
      return Pick(kAspm, value);
    case Meaning::kAspmSupport:
      return Pick(kAspmSupport, value);
    case Meaning::kPortType:
      return Pick(kPortTypes, value);
    case Meaning::kPowerState:
      return Pick(kPowerStates, value);
    case Meaning::kInterruptPin:
      return Pick(kPins, value);
    case Meaning::kHeaderLayout:
      return Pick(kLayouts, value);
    case Meaning::kMultiFunction:
      return value != 0 ? "multi-function device" : "single-function device";
    case Meaning::kClass:
      return ClassName(ClassPart::kClass, shown);
    case Meaning::kSubclass:
      return ClassName(ClassPart::kSubclass, shown);
    case Meaning::kProgrammingInterface:
      return ClassName(ClassPart::kProgrammingInterface, shown);
    case Meaning::kSpaceIndicator:
      return value != 0 ? "I/O" : "memory";
    case Meaning::kMemoryType:
      return Pick(kMemoryTypes, value);
    case Meaning::kPrefetchable:
      return value != 0 ? "prefetchable" : "not prefetchable";
    case Meaning::kMemoryBase: {
      const std::optional<uint32_t> type = shown.Byte(start);
      if (!type) return {};
      return MemoryBase(value << 4 | (*type & 0xF), start, shown);
    }
    case Meaning::kIoBase:
      return text::HexLiteral(int64_t{value} << 2, value < 0x4000 ? 4 : 8);
    case Meaning::kUpperBase: {
      const std::optional<uint32_t> lower = Dword(shown, start - 4);
      if (!lower) return {};
      return Address(uint64_t{value} << 32 | (*lower & ~0xFu), true);
    }
    case Meaning::kCapabilityId:
      return CapabilityNameOf(FindCapability(static_cast<int>(value)));
    case Meaning::kExtendedCapabilityId:
      return CapabilityNameOf(FindExtendedCapability(static_cast<int>(value)));
    case Meaning::kMessageCount:
      return value <= 5 ? std::to_string(1u << value) + (value == 0 ? " message" : " messages")
                        : Reserved(value);
    case Meaning::kTableSize:
      return std::to_string(value + 1) + (value == 0 ? " entry" : " entries");
    case Meaning::kTimeoutRanges: {
      if (value == 0) return "not supported";
      std::string ranges;
      for (uint32_t bit = 0; bit < 4; ++bit) {
        if ((value >> bit & 1) != 0)
          ranges += (ranges.empty() ? "range " : "") + std::string(1, 'A' + bit);
      }
      return ranges;
    }
    case Meaning::kTimeoutValue: {
      static constexpr std::array<const char*, 16> kTimeouts = {
          "50 us to 50 ms", "50 us to 100 us",  "1 ms to 10 ms",   nullptr,
          nullptr,          "16 ms to 55 ms",   "65 ms to 210 ms", nullptr,
          nullptr,          "260 ms to 900 ms", "1 s to 3.5 s",    nullptr,
          nullptr,          "4 s to 13 s",      "17 s to 64 s",    nullptr};
      return Pick(kTimeouts, value);
    }
    case Meaning::kObffSupport: {
      static constexpr std::array<const char*, 4> kObff = {"not supported", "via message",
                                                           "via WAKE#", "via message and WAKE#"};
      return Pick(kObff, value);
    }
    case Meaning::kObffControl: {
      static constexpr std::array<const char*, 4> kObff = {"disabled", "via message A",
                                                           "via message B", "via WAKE#"};
      return Pick(kObff, value);
    }
    case Meaning::kLtrLatency: {
      const std::optional<uint32_t> high = shown.Byte(start + 1);
      if (!high) return {};
      const uint32_t scale = (*high >> 2) & 7;
      if (scale > 5) return Reserved(scale);
      uint64_t ns = value;
      for (uint32_t i = 0; i < scale; ++i) ns *= 32;
      return std::to_string(ns) + " ns";
    }
    case Meaning::kBarSizes: {
      std::string sizes;
      for (uint32_t bit = 0; bit < 28; ++bit) {
        if ((value >> bit & 1) != 0) sizes += (sizes.empty() ? "" : ", ") + BarSize(bit);
      }
      return sizes.empty() ? "none" : sizes;
    }
    case Meaning::kBarSize:
      return BarSize(value);
    case Meaning::kNumber:
      return std::to_string(value);
    case Meaning::kNumberPlusOne:
      return std::to_string(uint64_t{value} + 1);
    case Meaning::kPowerOfTwo:
      return value < 64 ? std::to_string(uint64_t{1} << value) : Reserved(value);
    case Meaning::kAddress:
      return text::HexLiteral(value, 8);
    case Meaning::kTargetLinkSpeed: {
      // A link that can go no faster than 2.5 GT/s may hardwire its target to 0.
      const std::optional<uint32_t> capable = shown.Byte(start - 0x24);
      if (value == 0 && capable && (*capable & 0xF) == 1) return "2.5 GT/s";
      return Pick(kSpeeds, value);
    }
    case Meaning::kVendorName:
      return IdName(IdPart::kVendor, value, start, shown);
    case Meaning::kDeviceName:
      return IdName(IdPart::kDevice, value, start, shown);
    case Meaning::kSubsystemVendorName:
      return IdName(IdPart::kSubsystemVendor, value, start, shown);
    case Meaning::kSubsystemName:
      return IdName(IdPart::kSubsystem, value, start, shown);
    case Meaning::kDwords:
      return std::to_string(value * 4) + " bytes";
    case Meaning::kQuarterMicroseconds:
      return std::to_string(value * 250) + " ns";
    case Meaning::kSlotPower:
    case Meaning::kLastAddress:
    case Meaning::kPowerOnTime:
    case Meaning::kL12Threshold:
      return {};  // each needs the field's place or its scale's bits: MeaningOfField
    case Meaning::kWindowBase:
      return WindowMeaning(true, start, shown);
    case Meaning::kWindowLimit:
      return WindowMeaning(false, start, shown);
  }
  return {};
}

std::string MeaningOfField(const FieldName& field, uint32_t value, uint32_t start,
                           const ShownBytes& shown) {
  if (!field.values.empty()) {
    return value < field.values.size() && field.values[value] != nullptr ? field.values[value]
                                                                         : Reserved(value);
  }
  if (field.meaning == Meaning::kAddress) {
    return text::HexLiteral(int64_t{value} << field.low, 8);
  }
  switch (field.meaning) {
    case Meaning::kSlotPower:
      return SlotPower(value, shown.Field(start, field.high + 1, field.high + 2));
    case Meaning::kLastAddress:
      return text::HexLiteral(int64_t{value} << field.low | ((int64_t{1} << field.low) - 1), 8);
    case Meaning::kPowerOnTime: {
      static constexpr uint32_t kMicroseconds[] = {2, 10, 100};
      const std::optional<uint32_t> scale = shown.Field(start, field.low - 3, field.low - 2);
      if (!scale) return {};
      if (*scale > 2) return Reserved(*scale) + " scale";
      return std::to_string(value * kMicroseconds[*scale]) + " us";
    }
    case Meaning::kL12Threshold: {
      const std::optional<uint32_t> scale = shown.Field(start, 29, 31);
      if (!scale) return {};
      if (*scale > 5) return Reserved(*scale) + " scale";
      uint64_t ns = value;
      for (uint32_t i = 0; i < *scale; ++i) ns *= 32;
      return std::to_string(ns) + " ns";
    }
    default:
      break;
  }
  return MeaningOf(field.meaning, value, start, shown);
}

}  // namespace qbus::config_space
