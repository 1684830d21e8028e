// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include <QFont>
#include <QObject>

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
  std::function<std::string(ControlId)> describe;  // see SetDescriptionSource

  // Gives a text or check-box control its description the first time one is needed.
  class DescriptionFilter : public QObject {
   public:
    explicit DescriptionFilter(Impl* impl) : impl_(impl) {}
    bool eventFilter(QObject* watched, QEvent* event) override;

   private:
    Impl* impl_;
  };
  DescriptionFilter description_filter{this};

  // Descriptions may say what a row of boxes holds: a changed box or text makes them all stale,
  // and they are found afresh when next needed.
  void ForgetDescriptions();

  const QFont* FindFont(FontHandle handle) const {
    for (const auto& [number, font] : fonts) {
      if (font.handle == handle) return &font.font;
    }
    return nullptr;
  }
};

}  // namespace qbus::ui
