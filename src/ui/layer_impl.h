// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>
#include <memory>

#include <QFont>

#include "ui/control_registry.h"
#include "ui/main_window.h"
#include "ui/window_layer.h"

namespace qbus::ui {

// The Qt side of the window layer. Controls are children of `window`; the registry deletes
// them before the window goes.
struct WindowLayer::Impl {
  struct Font {
    FontHandle handle;
    QFont font;
  };

  LayerOptions options;
  std::unique_ptr<MainWindow> window;
  std::map<int, Font> fonts;  // by font number
  FontHandle next_font_handle = 1;
  ControlRegistry controls;

  const QFont* FindFont(FontHandle handle) const {
    for (const auto& [number, font] : fonts) {
      if (font.handle == handle) return &font.font;
    }
    return nullptr;
  }
};

}  // namespace qbus::ui
