// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QWidget>

namespace qbus::ui {

// Gives the keyboard back to `owner`'s window when a modal dialog over it ends. A window
// manager would do it; without one (a bare X server, some kiosks) the keyboard would otherwise
// stay with the closed dialog and the window's keys would do nothing.
class ReturnFocusOnClose {
 public:
  explicit ReturnFocusOnClose(QWidget* owner) : owner_(owner) {}
  ~ReturnFocusOnClose() {
    if (owner_ && owner_->window()->isVisible()) owner_->window()->activateWindow();
  }
  ReturnFocusOnClose(const ReturnFocusOnClose&) = delete;
  ReturnFocusOnClose& operator=(const ReturnFocusOnClose&) = delete;

 private:
  QPointer<QWidget> owner_;
};

}  // namespace qbus::ui
