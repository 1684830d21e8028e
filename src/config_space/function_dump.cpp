// SPDX-License-Identifier: GPL-3.0-or-later
#include "config_space/function_dump.h"

#include <cstdio>
#include <memory>

namespace qbus::config_space {

std::string LocationText(uint32_t location, uint32_t domain) {
  char text[24];
  std::snprintf(text, sizeof text, "%02x:%02x.%x", location >> 8 & 0xFF, location >> 3 & 0x1F,
                location & 7);
  if (domain == 0) return text;
  char prefix[16];
  std::snprintf(prefix, sizeof prefix, "%04x:", domain);
  return prefix + std::string(text);
}

std::string FormatFunctionDump(uint32_t location, const std::string& description,
                               std::span<const uint8_t> bytes, uint32_t domain) {
  char text[16];
  std::string dump =
      LocationText(location, domain) + (description.empty() ? "" : " " + description) + "\n";
  for (size_t offset = 0; offset < bytes.size(); ++offset) {
    if (offset % 16 == 0) {
      std::snprintf(text, sizeof text, offset < 0x100 ? "%02zx:" : "%03zx:", offset);
      dump += text;
    }
    std::snprintf(text, sizeof text, " %02x", bytes[offset]);
    dump += text;
    if (offset % 16 == 15 || offset + 1 == bytes.size()) dump += "\n";
  }
  return dump + "\n";
}

ConfigReader ReaderOver(std::vector<uint8_t> bytes) {
  auto held = std::make_shared<const std::vector<uint8_t>>(std::move(bytes));
  return [held](uint32_t offset, uint32_t width) -> std::optional<uint32_t> {
    if (offset > held->size() || width > held->size() - offset) return std::nullopt;
    uint32_t value = 0;
    for (uint32_t i = 0; i < width; ++i) value |= uint32_t{(*held)[offset + i]} << (8 * i);
    return value;
  };
}

}  // namespace qbus::config_space
