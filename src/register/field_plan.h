// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "config_space/field_setting.h"
#include "config_space/register_names.h"
#include "register/go_to_register.h"
#include "ui/window_layer.h"

// Set field: a field of a register set by what its value means, as a plan the bit editor shows
// after READ for the user to WRITE.
namespace qbus::regs {

// A count typed for a field: decimal, or hex after "0x", blanks around ignored; nothing when it
// is no number or exceeds `maximum`.
std::optional<uint32_t> TypedNumber(std::string typed, uint32_t maximum);

// The target a field of `reg` is written through: the register's own width, from its first byte.
GoToTarget FieldTarget(const config_space::RegisterEntry& reg);

// The plan that sets `field` of `reg` (a register of `entries`, the function's) to `value` and
// leaves every other bit as read, but the write-1-to-clear ones, written 0. Its note names the
// field, what it meant and will mean, and the write-1-to-clear bits set in the reading that it
// keeps from clearing: "Max Read Request Size: 128 bytes -> 512 bytes. Written 0 so as not to
// clear them: bit 16 Correctable Error Detected, bit 18 Fatal Error Detected."
EditPlan FieldPlan(const std::vector<config_space::RegisterEntry>& entries,
                   const config_space::RegisterEntry& reg, const config_space::FieldName& field,
                   uint32_t value, const config_space::ShownBytes& context);

// Asks for `field`'s new value by meaning (a list of its values, or a number for a count), as
// shown in `current` (the register's bytes the user saw); the plan, or nothing when the user
// cancels or the field cannot be written, which a message then says.
EditPlan AskFieldPlan(ui::WindowLayer& layer,
                      const std::vector<config_space::RegisterEntry>& entries,
                      const config_space::RegisterEntry& reg, const config_space::FieldName& field,
                      const config_space::ShownBytes& current);

// The plan that writes back `wanted` (what an earlier write found): the bits a write can set take
// its value; read-only bits stay as read and write-1-to-clear ones are written 0.
EditPlan RestorePlan(const config_space::BitKinds& kinds, AccessWidth width, uint32_t wanted,
                     const std::string& what);

}  // namespace qbus::regs
