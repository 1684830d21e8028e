// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace qbus::regs {

// What a waiting phase hands back to the program's spine.
enum class Outcome { kRead, kNewSelection, kExit };

}  // namespace qbus::regs
