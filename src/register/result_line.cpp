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

}  // namespace

std::string FormatResultLine(LineKind kind, AccessWidth width, uint32_t value,
                             const LocationCaptions& captions) {
  const text::ValueTexts texts = text::RegisterValueTexts(value, width);
  return Prefix(kind, width) + captions.bus + ", Device=" + captions.device +
         ", Function=" + captions.function + ", Address=" + captions.address +
         ") :  Hex: " + texts.hex + "    Bin: " + texts.binary + "    Dec: " + texts.decimal;
}

}  // namespace qbus::regs
