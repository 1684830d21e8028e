// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

#include <QLineEdit>
#include <QWidget>

// The two widgets of a spin control: the number field and the pair of arrows. Both report a
// requested step (+1 up, -1 down) to `on_step`; the layer moves the position and raises events.
namespace qbus::ui {

class SpinField : public QLineEdit {
  Q_OBJECT

 public:
  SpinField(QWidget* parent, std::function<void(int)> on_step);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  std::function<void(int)> on_step_;
};

// Up and down arrow buttons stacked in one box; holding one repeats its step.
class SpinArrows : public QWidget {
  Q_OBJECT

 public:
  SpinArrows(QWidget* parent, std::function<void(int)> on_step);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  QWidget* up_;
  QWidget* down_;
};

}  // namespace qbus::ui
