// SPDX-License-Identifier: GPL-3.0-or-later
#include "access/sim/machine.h"

namespace qbus::access::sim {

Machine::Machine(config_space::MachineImage image) {
  for (auto& [location, function] : image) {
    present_.set(location);
    functions_.emplace(location, Function{std::move(function), nullptr});
  }
}

const Machine::Function* Machine::Find(uint32_t location, uint32_t offset, uint32_t width) const {
  if (!Present(location)) return nullptr;
  const Function& function = functions_.at(location);
  const auto size = static_cast<uint32_t>(function.image.bytes.size());
  return ConfigAccessValid(offset, width, size) ? &function : nullptr;
}

std::optional<uint32_t> Machine::Read(uint32_t location, uint32_t offset, uint32_t width) const {
  const Function* function = Find(location, offset, width);
  if (function == nullptr) return std::nullopt;
  return FromLittleEndian(&function->image.bytes[offset], width);
}

bool Machine::Write(uint32_t location, uint32_t offset, uint32_t width, uint32_t value) {
  Function* function = Find(location, offset, width);
  if (function == nullptr) return false;
  if (!function->masks) {
    function->masks = std::make_unique<WriteMasks>(BuildWriteMasks(function->image));
  }
  const WriteMasks& masks = *function->masks;
  uint8_t written[4];
  ToLittleEndian(value, width, written);
  for (uint32_t i = 0; i < width; ++i) {
    uint8_t& byte = function->image.bytes[offset + i];
    byte = ApplyWrite(byte, written[i], masks.writable[offset + i], masks.clear_on_one[offset + i]);
  }
  return true;
}

}  // namespace qbus::access::sim
