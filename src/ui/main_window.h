// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

#include <QWidget>

namespace qbus::ui {

// The one main window: a fixed client size, no maximise box, button-coloured background. It
// never closes by itself: the close box (and the window manager's close) calls `on_close`
// instead. Tab and Shift+Tab ask `on_tab` to move the focus.
class MainWindow : public QWidget {
  Q_OBJECT

 public:
  MainWindow(int width, int height, bool centred, std::function<void()> on_close,
             std::function<bool(bool forward)> on_tab);

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool focusNextPrevChild(bool next) override;
  bool event(QEvent* event) override;

 private:
  void Centre();

  bool centred_;
  bool centred_on_frame_ = false;
  std::function<void()> on_close_;
  std::function<bool(bool)> on_tab_;
};

}  // namespace qbus::ui
