// SPDX-License-Identifier: GPL-3.0-or-later
#include "register/register_read.h"

#include "access/common/pci_location.h"
#include "controls/control_table.h"
#include "register/bit_row.h"
#include "register/register_descriptions.h"
#include "register/result_line.h"
#include "text/number_text.h"

namespace qbus::regs {

using namespace controls;

ReadResult RunRegisterRead(ui::WindowLayer& layer, const hw::HardwareAccess& access,
                           AccessWidth width, const config_space::ClassNamer& class_names) {
  for (ControlId id : {kReadButton, kDWordOption, kWordOption, kByteOption}) layer.FreeControl(id);
  layer.DisableControl(kNewSelectionButton, 0);

  ReadResult result;
  RegisterTarget& target = result.target;
  target.width = width;
  const auto bus = static_cast<uint32_t>(layer.GetControlState(kBusSelector));
  target.captions.bus = BusCaption(bus);
  const auto device = static_cast<uint32_t>(layer.GetControlState(kDeviceSelector));
  target.captions.device = DeviceCaption(device);
  const auto function = static_cast<uint32_t>(layer.GetControlState(kFunctionSelector));
  target.captions.function = FunctionCaption(function);
  const auto position = static_cast<uint32_t>(layer.GetControlState(kOffsetSelector));
  target.offset = static_cast<uint32_t>(text::ShiftLeft64(position, static_cast<int>(width)));
  target.captions.address = OffsetCaption(target.offset);
  target.location = PciLocation{bus, device, function}.Packed();

  result.read = ReadRegister(access, target, &result.value);
  std::string line;
  if (result.read) {
    line = FormatResultLine(LineKind::kRead, width, result.value, target.captions);
  } else {
    result.value = 0;
    uint32_t space_size = 0;
    const FailureCause cause = DiagnoseFailure(access, target, false, &space_size);
    line = FormatFailureLine(LineKind::kRead, width, target.captions,
                             ReadFailure(cause, target.offset, space_size));
  }
  const Box box = kReadLineBox;
  layer.CreateTextControl(kReadLine, box.x, box.y, box.width, box.height, line, ui::kTextCentred);
  layer.SetControlFont(kReadLine, layer.FontHandleOf(kLargeFont));
  for (ControlId id : {kBusSelector, kDeviceSelector, kFunctionSelector, kOffsetSelector}) {
    layer.DisableControl(id, 1);
  }
  // A failed read has no bits: a row of clear boxes would read as a value of 0.
  if (result.read) BuildBitRow(layer, BitRow::kRead, width, result.value);
  OfferRegisterDescriptions(layer, access, target, class_names);
  return result;
}

}  // namespace qbus::regs
