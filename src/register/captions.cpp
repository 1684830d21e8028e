// SPDX-License-Identifier: GPL-3.0-or-later
#include "register/captions.h"

#include "text/number_text.h"
#include "text/register_texts.h"

namespace qbus::regs {
namespace {

std::string Caption(const std::string& hex, int64_t value) {
  return "0x" + hex + " (" + text::SignedDecimal(value) + ")";
}

}  // namespace

std::string BusCaption(int64_t bus) { return Caption(text::HexField(bus, 2), bus); }
std::string DeviceCaption(int64_t device) { return Caption(text::HexField(device, 2), device); }
std::string FunctionCaption(int64_t function) { return Caption(text::HexText(function), function); }
std::string OffsetCaption(int64_t offset) { return Caption(text::HexField(offset, 4), offset); }

}  // namespace qbus::regs
