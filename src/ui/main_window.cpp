// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main_window.h"

#include <QCloseEvent>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>
#include <QScreen>

#include "ui/window_metrics.h"

namespace qbus::ui {

MainWindow::MainWindow(int width, int height, bool centred, std::function<void()> on_close,
                       std::function<bool(bool)> on_tab)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint),
      centred_(centred),
      on_close_(std::move(on_close)),
      on_tab_(std::move(on_tab)) {
  setFixedSize(width, height);
  QPalette colours = palette();
  colours.setColor(QPalette::Window, colours.color(QPalette::Button));
  setPalette(colours);
  setAutoFillBackground(true);
  // The format is named and not guessed: guessing loads every image plugin to ask it.
  QImageReader icon(QStringLiteral(":/quoril-bus-32.png"), "png");
  icon.setAutoDetectImageFormat(false);
  setWindowIcon(QIcon(QPixmap::fromImage(icon.read())));
  if (centred_) Centre();
}

void MainWindow::Centre() {
  const QScreen* display = screen();
  if (display == nullptr) return;
  const QRect area = display->geometry();
  const QSize outer = frameGeometry().size();
  const Point at = CentredPosition(area.width(), area.height(), outer.width(), outer.height());
  move(area.x() + at.x, area.y() + at.y);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  event->ignore();
  on_close_();
}

bool MainWindow::focusNextPrevChild(bool next) { return on_tab_(next); }

bool MainWindow::event(QEvent* event) {
  const bool handled = QWidget::event(event);
  // The window manager adds its frame after the window is shown; centre once more on the real
  // outer size as soon as it is known.
  if (centred_ && !centred_on_frame_ && isVisible() && frameGeometry().size() != size()) {
    centred_on_frame_ = true;
    Centre();
  }
  return handled;
}

}  // namespace qbus::ui
