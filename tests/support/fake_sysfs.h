// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace qbus::test {

// Writes a function's config file into a directory laid out like /sys/bus/pci, so the real
// library's core can run against files instead of hardware. `name` is "DDDD:BB:DD.F".
inline void AddFakeFunction(const std::filesystem::path& root, const std::string& name,
                            const std::vector<uint8_t>& config) {
  const auto dir = root / "devices" / name;
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "config", std::ios::binary)
      .write(reinterpret_cast<const char*>(config.data()),
             static_cast<std::streamsize>(config.size()));
}

// A config space of `size` bytes holding byte i = i & 0xFF, with vendor and device in front.
inline std::vector<uint8_t> CountingConfig(size_t size, uint16_t vendor, uint16_t device) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i);
  bytes[0] = static_cast<uint8_t>(vendor);
  bytes[1] = static_cast<uint8_t>(vendor >> 8);
  bytes[2] = static_cast<uint8_t>(device);
  bytes[3] = static_cast<uint8_t>(device >> 8);
  return bytes;
}

}  // namespace qbus::test
