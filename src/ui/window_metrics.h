// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace qbus::ui {

struct Point {
  int x;
  int y;
};

// Top-left corner that centres a window of outer size (outer_width, outer_height) on a screen
// of (screen_width, screen_height): each outer extent is first limited to the screen's, and each
// half is truncated, so a window larger than the screen lands at 0 on that axis.
constexpr Point CentredPosition(int screen_width, int screen_height, int outer_width,
                                int outer_height) {
  const int w = outer_width < screen_width ? outer_width : screen_width;
  const int h = outer_height < screen_height ? outer_height : screen_height;
  return {(screen_width - w) / 2, (screen_height - h) / 2};
}

// Pixel height of a font of `points` at `dots_per_inch`: points x dpi / 72, rounded half away
// from zero, as the platform's MulDiv does.
constexpr int FontPixelHeight(int points, int dots_per_inch) {
  const long long product = static_cast<long long>(points) * dots_per_inch;
  const long long rounded = product >= 0 ? (product + 36) / 72 : (product - 36) / 72;
  return static_cast<int>(rounded);
}

}  // namespace qbus::ui
