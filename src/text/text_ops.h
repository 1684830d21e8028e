// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Text operations with clamped, 1-based positions. None of them fails; an empty view stands
// for an absent text. Each returns a new string and leaves its arguments untouched.
namespace qbus::text {

// Exactly max(length, 0) characters: a shorter text is filled on the left with `fill`, a
// longer one keeps its first `length` characters ("12345", 4 gives "1234").
std::string RightJustify(std::string_view text, int32_t length, char fill = ' ');

// Up to max(length, 0) characters from the 1-based `start` (values below 1 count as 1);
// empty when `start` lies past the end.
std::string TextSlice(std::string_view text, int32_t start, int32_t length);

// `insertion` put in front of the 1-based `position` of `text`; positions of 1 or less insert
// at the front, positions past the end append.
std::string InsertText(std::string_view text, std::string_view insertion, int32_t position);

}  // namespace qbus::text
