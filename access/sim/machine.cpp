// SPDX-License-Identifier: GPL-3.0-or-later
#include "access/sim/machine.h"

namespace qbus::access::sim {

Machine::Machine(config_space::MachineImage image)
    : image_(std::move(image)), by_location_(kLocationCount, nullptr) {
  for (auto& [location, function] : image_) {
    present_.set(location);
    by_location_[location] = &function;
  }
}

const config_space::FunctionImage* Machine::Find(uint32_t location, uint32_t offset,
                                                 uint32_t width) const {
  if (!Present(location)) return nullptr;
  const config_space::FunctionImage* function = by_location_[location];
  const auto size = static_cast<uint32_t>(function->bytes.size());
  return ConfigAccessValid(offset, width, size) ? function : nullptr;
}

std::optional<uint32_t> Machine::Read(uint32_t location, uint32_t offset, uint32_t width) const {
  const config_space::FunctionImage* function = Find(location, offset, width);
  if (function == nullptr) return std::nullopt;
  return FromLittleEndian(&function->bytes[offset], width);
}

bool Machine::Write(uint32_t location, uint32_t offset, uint32_t width, uint32_t value) {
  if (Find(location, offset, width) == nullptr) return false;
  config_space::FunctionImage& function = *by_location_[location];
  std::unique_ptr<WriteMasks>& made = masks_[location];
  if (!made) made = std::make_unique<WriteMasks>(BuildWriteMasks(function));
  const WriteMasks& masks = *made;
  uint8_t written[4];
  ToLittleEndian(value, width, written);
  for (uint32_t i = 0; i < width; ++i) {
    uint8_t& byte = function.bytes[offset + i];
    byte = ApplyWrite(byte, written[i], masks.writable[offset + i], masks.clear_on_one[offset + i]);
  }
  return true;
}

}  // namespace qbus::access::sim
