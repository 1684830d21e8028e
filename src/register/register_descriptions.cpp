// SPDX-License-Identifier: GPL-3.0-or-later
#include "register/register_descriptions.h"

#include <memory>
#include <optional>

#include "controls/control_table.h"
#include "register/register_map.h"

namespace qbus::regs {

void OfferRegisterDescriptions(ui::WindowLayer& layer, const hw::HardwareAccess& access,
                               const RegisterTarget& target) {
  auto layout = std::make_shared<std::optional<ConfigLayout>>();
  layer.SetDescriptionSource([&access, target, layout](ui::ControlId id) -> std::string {
    using namespace controls;
    const int bits = WidthBits(target.width);
    const bool line = id == kReadLine || id == kWriteLine || id == kTestLine;
    int first = -1;
    for (ui::ControlId row : {kReadRowFirst, kEditRowFirst, kVerifyRowFirst}) {
      if (id >= row && id < row + bits) first = row;
    }
    if (!line && first < 0) return {};
    if (!*layout) *layout = ReadConfigLayout(access, target.location);
    if (line) return DescribeRegisters(**layout, target.offset, WidthBytes(target.width));
    const int bit = bits - 1 - (id - first);  // the leftmost box holds the highest bit
    return DescribeBit(**layout, target.offset + static_cast<uint32_t>(bit / 8), bit % 8);
  });
}

}  // namespace qbus::regs
