// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include "text/access_width.h"
#include "ui/window_layer.h"

namespace qbus::regs {

// The three rows of check boxes, one box per bit of the access width, most significant left.
enum class BitRow { kRead, kEdit, kVerify };

// The number of the row's leftmost box: 10, 43 or 75. A row of n bits uses n numbers from there.
ui::ControlId FirstBoxOf(BitRow row);

// Creates the row's boxes from the left: box k (k = 0 leftmost) gets number first + k, stands at
// x = left + 30 k (left 20, 250 or 375 by width) at the row's y (90, 140, 190), 30 x 20, with its
// bit number as caption; it is checked when its bit of `value` is 1, set in the small font, and
// disabled in the Read and Verify rows.
void BuildBitRow(ui::WindowLayer& layer, BitRow row, AccessWidth width, uint32_t value);

// The value the row's boxes show now: each checked box adds 2 to the power of its bit number.
uint32_t BitRowValue(const ui::WindowLayer& layer, BitRow row, AccessWidth width);

}  // namespace qbus::regs
