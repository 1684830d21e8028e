// SPDX-License-Identifier: GPL-3.0-or-later
#include "register/bit_row.h"

#include "controls/control_table.h"
#include "text/number_text.h"

namespace qbus::regs {
namespace {

int RowY(BitRow row) { return row == BitRow::kRead ? 90 : row == BitRow::kEdit ? 140 : 190; }

int RowLeft(AccessWidth width) {
  return width == AccessWidth::kDWord ? 20 : width == AccessWidth::kWord ? 250 : 375;
}

}  // namespace

ui::ControlId FirstBoxOf(BitRow row) {
  return row == BitRow::kRead   ? controls::kReadRowFirst
         : row == BitRow::kEdit ? controls::kEditRowFirst
                                : controls::kVerifyRowFirst;
}

void BuildBitRow(ui::WindowLayer& layer, BitRow row, AccessWidth width, uint32_t value) {
  const int bits = WidthBits(width);
  const ui::FontHandle small = layer.FontHandleOf(controls::kSmallFont);
  for (int k = 0; k < bits; ++k) {
    const ui::ControlId id = FirstBoxOf(row) + k;
    const int bit = bits - 1 - k;
    layer.CreateCheckBoxControl(id, RowLeft(width) + 30 * k, RowY(row), 30, 20,
                                text::SignedDecimal(bit));
    if ((value >> bit) & 1) layer.SetControlState(id, 1);
    layer.SetControlFont(id, small);
    if (row != BitRow::kEdit) layer.DisableControl(id, 1);
  }
}

uint32_t BitRowValue(const ui::WindowLayer& layer, BitRow row, AccessWidth width) {
  const int bits = WidthBits(width);
  uint32_t value = 0;
  for (int k = 0; k < bits; ++k) {
    if (layer.GetControlState(FirstBoxOf(row) + k) != 0) value += uint32_t{1} << (bits - 1 - k);
  }
  return value & WidthMask(width);
}

}  // namespace qbus::regs
