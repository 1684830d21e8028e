// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/text_ops.h"

#include <algorithm>

namespace qbus::text {

std::string RightJustify(std::string_view text, int32_t length, char fill) {
  const size_t n = static_cast<size_t>(std::max(length, 0));
  const size_t kept = std::min(text.size(), n);
  std::string out;
  out.reserve(n);
  return out.append(n - kept, fill).append(text.substr(0, kept));
}

std::string TextSlice(std::string_view text, int32_t start, int32_t length) {
  const size_t skip = static_cast<size_t>(std::max(start, 1) - 1);
  if (skip >= text.size() || length <= 0) return {};
  return std::string(text.substr(skip, static_cast<size_t>(length)));
}

std::string InsertText(std::string_view text, std::string_view insertion, int32_t position) {
  const auto size = static_cast<int64_t>(text.size());
  const auto at = static_cast<size_t>(std::clamp<int64_t>(int64_t{position} - 1, 0, size));
  std::string out(text.substr(0, at));
  out += insertion;
  out += text.substr(at);
  return out;
}

}  // namespace qbus::text
