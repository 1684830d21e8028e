// SPDX-License-Identifier: GPL-3.0-or-later
#include "register/register_descriptions.h"

#include <map>
#include <memory>
#include <optional>
#include <utility>

#include "config_space/register_names.h"
#include "controls/control_table.h"

namespace qbus::regs {
namespace {

using namespace controls;

// The row of boxes whose value a control shows: its own row, or the row under a result line.
ui::ControlId RowOf(ui::ControlId id, int bits) {
  if (id == kReadLine) return kReadRowFirst;
  if (id == kWriteLine) return kEditRowFirst;
  if (id == kTestLine) return kVerifyRowFirst;
  for (ui::ControlId row : {kReadRowFirst, kEditRowFirst, kVerifyRowFirst}) {
    if (id >= row && id < row + bits) return row;
  }
  return -1;
}

uint32_t RowValue(const ui::WindowLayer& layer, ui::ControlId first, int bits) {
  uint32_t value = 0;
  for (int box = 0; box < bits; ++box) {
    if (layer.GetControlState(first + box) != 0) value |= 1u << (bits - 1 - box);
  }
  return value;
}

// Each byte range of the function read once per READ, whichever description asks first.
config_space::ConfigReader Remembering(config_space::ConfigReader read) {
  auto seen = std::make_shared<std::map<std::pair<uint32_t, uint32_t>, std::optional<uint32_t>>>();
  return [read = std::move(read), seen](uint32_t offset, uint32_t width) {
    auto [place, added] = seen->try_emplace({offset, width});
    if (added) place->second = read(offset, width);
    return place->second;
  };
}

}  // namespace

void OfferRegisterDescriptions(ui::WindowLayer& layer, const hw::HardwareAccess& access,
                               const RegisterTarget& target,
                               const config_space::ClassNamer& class_names) {
  auto layout = std::make_shared<std::optional<config_space::ConfigLayout>>();
  config_space::ShownBytes shown{target.offset,
                                 WidthBytes(target.width),
                                 0,
                                 Remembering(FunctionReader(access, target.location)),
                                 class_names,
                                 {}};
  layer.SetDescriptionSource([&layer, shown, layout](ui::ControlId id) mutable -> std::string {
    const int bits = shown.width * 8;
    const ui::ControlId row = RowOf(id, bits);
    if (row < 0) return {};
    if (!*layout) *layout = config_space::ReadConfigLayout(shown.read);
    // A row that is not there (a failed read, no write yet) has no value to decode.
    const bool has_value = layer.ControlExists(row);
    if (has_value) shown.value = RowValue(layer, row, bits);
    const config_space::ShownBytes* value = has_value ? &shown : nullptr;
    if (id == kReadLine || id == kWriteLine || id == kTestLine) {
      return config_space::DescribeRegisters(**layout, shown.offset, shown.width, value);
    }
    const int bit = bits - 1 - (id - row);  // the leftmost box holds the highest bit
    return config_space::DescribeBit(**layout, shown.offset + static_cast<uint32_t>(bit / 8),
                                     bit % 8, value);
  });
}

}  // namespace qbus::regs
