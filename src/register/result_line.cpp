// SPDX-License-Identifier: GPL-3.0-or-later
#include "register/result_line.h"

#include "text/register_texts.h"

namespace qbus::regs {
namespace {

std::string Prefix(LineKind kind, AccessWidth width) {
  const char* name = width == AccessWidth::kDWord  ? "DWord"
                     : width == AccessWidth::kWord ? "Word"
                                                   : "Byte";
  const char* action = kind == LineKind::kWrite  ? "Write-"
                       : kind == LineKind::kTest ? "Test: Read-"
                                                 : "Read-";
  return std::string(action) + name + " (Bus=";
}

// The prefix and the location, up to the blanks before the value.
std::string Place(LineKind kind, AccessWidth width, const LocationCaptions& captions) {
  return Prefix(kind, width) + captions.bus + ", Device=" + captions.device +
         ", Function=" + captions.function + ", Address=" + captions.address + ") :  ";
}

constexpr uint32_t kConfigSpaceBytes = 0x1000;
constexpr uint32_t kUnprivilegedBytes = 0x40;

}  // namespace

std::string FormatResultLine(LineKind kind, AccessWidth width, uint32_t value,
                             const LocationCaptions& captions) {
  const text::ValueTexts texts = text::RegisterValueTexts(value, width);
  return Place(kind, width, captions) + "Hex: " + texts.hex + "    Bin: " + texts.binary +
         "    Dec: " + texts.decimal;
}

std::string FormatFailureLine(LineKind kind, AccessWidth width, const LocationCaptions& captions,
                              const std::string& failure) {
  return Place(kind, width, captions) + failure;
}

std::string ReadFailure(uint32_t offset, bool running_as_root) {
  if (offset >= kConfigSpaceBytes) return "Read failed: beyond the 4 KiB configuration space";
  if (!running_as_root && offset >= kUnprivilegedBytes) {
    return "Read failed: needs root from offset 0x40 on";
  }
  return "Read failed: refused by the access library";
}

std::string WriteFailure(bool running_as_root) {
  return running_as_root ? "Write failed: refused by the access library"
                         : "Write failed: needs root";
}

}  // namespace qbus::regs
