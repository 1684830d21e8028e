// SPDX-License-Identifier: GPL-3.0-or-later
#include "register/result_line.h"

#include "text/register_texts.h"

namespace qbus::regs {
namespace {

std::string Prefix(LineKind kind, AccessWidth width) {
  const char* action = kind == LineKind::kWrite  ? "Write-"
                       : kind == LineKind::kTest ? "Test: Read-"
                                                 : "Read-";
  return std::string(action) + WidthName(width) + " (Bus=";
}

// The prefix and the location, up to the blanks before the value.
std::string LinePrefix(LineKind kind, AccessWidth width, const LocationCaptions& captions) {
  return Prefix(kind, width) + captions.bus + ", Device=" + captions.device +
         ", Function=" + captions.function + ", Address=" + captions.address + ") :  ";
}

constexpr uint32_t kConfigSpaceBytes = 0x1000;

}  // namespace

std::string FormatResultLine(LineKind kind, AccessWidth width, uint32_t value,
                             const LocationCaptions& captions) {
  const text::ValueTexts texts = text::RegisterValueTexts(value, width);
  return LinePrefix(kind, width, captions) + "Hex: " + texts.hex + "    Bin: " + texts.binary +
         "    Dec: " + texts.decimal;
}

std::string FormatFailureLine(LineKind kind, AccessWidth width, const LocationCaptions& captions,
                              const std::string& failure) {
  return LinePrefix(kind, width, captions) + failure;
}

std::string HelperFailure(FailureCause cause) {
  switch (cause) {
    case FailureCause::kHelperEnded:
      return "the access helper has ended";
    case FailureCause::kHelperSilent:
      return "the access helper does not answer";
    default:
      return {};
  }
}

std::string ReadFailure(FailureCause cause, uint32_t offset, uint32_t space_size) {
  return "Read failed: " + ReadFailureReason(cause, offset, space_size);
}

std::string ReadFailureReason(FailureCause cause, uint32_t offset, uint32_t space_size) {
  if (const std::string helper = HelperFailure(cause); !helper.empty()) return helper;
  switch (cause) {
    case FailureCause::kNoFunction:
      return "no function answers at this location";
    case FailureCause::kBeyondSpace:
      return space_size >= kConfigSpaceBytes
                 ? "beyond the 4 KiB configuration space"
                 : "beyond this function's " + std::to_string(space_size) +
                       "-byte configuration space";
    case FailureCause::kNeedsRoot:
      // Without root the function's size cannot be read, so past 0xFF both may hold.
      return offset >= 0x100 ? "needs root, if the function reaches this far"
                             : "needs root from offset 0x40 on";
    default:
      break;
  }
  return "refused by the access library";
}

std::string WriteFailure(FailureCause cause, uint32_t space_size) {
  if (const std::string helper = HelperFailure(cause); !helper.empty()) {
    return "Write failed: " + helper;
  }
  switch (cause) {
    case FailureCause::kNoFunction:
      return "Write failed: no function answers at this location";
    case FailureCause::kBeyondSpace:
      return "Write failed: beyond this function's " + std::to_string(space_size) +
             "-byte configuration space";
    case FailureCause::kNeedsRoot:
      return "Write failed: needs root";
    case FailureCause::kUnrecorded:
      return "Write refused: the system log does not take the record";
    default:
      break;
  }
  return "Write failed: refused by the access library";
}

}  // namespace qbus::regs
