// SPDX-License-Identifier: GPL-3.0-or-later
#include "register/register_descriptions.h"

#include <memory>
#include <optional>

#include "config_space/register_names.h"
#include "controls/control_table.h"

namespace qbus::regs {

void OfferRegisterDescriptions(ui::WindowLayer& layer, const hw::HardwareAccess& access,
                               const RegisterTarget& target) {
  auto layout = std::make_shared<std::optional<cfgspace::ConfigLayout>>();
  layer.SetDescriptionSource([&access, target, layout](ui::ControlId id) -> std::string {
    using namespace controls;
    const int bits = WidthBits(target.width);
    const bool line = id == kReadLine || id == kWriteLine || id == kTestLine;
    int first = -1;
    for (ui::ControlId row : {kReadRowFirst, kEditRowFirst, kVerifyRowFirst}) {
      if (id >= row && id < row + bits) first = row;
    }
    if (!line && first < 0) return {};
    if (!*layout) *layout = cfgspace::ReadConfigLayout(FunctionReader(access, target.location));
    if (line) {
      return cfgspace::DescribeRegisters(**layout, target.offset, WidthBytes(target.width));
    }
    const int bit = bits - 1 - (id - first);  // the leftmost box holds the highest bit
    return cfgspace::DescribeBit(**layout, target.offset + static_cast<uint32_t>(bit / 8), bit % 8);
  });
}

}  // namespace qbus::regs
