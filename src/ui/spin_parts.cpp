// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/spin_parts.h"

#include <QKeyEvent>
#include <QToolButton>

namespace qbus::ui {

SpinField::SpinField(QWidget* parent, std::function<void(int)> on_step)
    : QLineEdit(parent), on_step_(std::move(on_step)) {}

void SpinField::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
    on_step_(event->key() == Qt::Key_Up ? 1 : -1);
    return;
  }
  QLineEdit::keyPressEvent(event);
}

namespace {

QToolButton* MakeArrow(QWidget* parent, Qt::ArrowType arrow, std::function<void()> on_click) {
  auto* button = new QToolButton(parent);
  button->setArrowType(arrow);
  button->setAutoRepeat(true);
  button->setFocusPolicy(Qt::NoFocus);
  QObject::connect(button, &QToolButton::clicked, parent, std::move(on_click));
  return button;
}

}  // namespace

SpinArrows::SpinArrows(QWidget* parent, std::function<void(int)> on_step) : QWidget(parent) {
  setFocusPolicy(Qt::NoFocus);
  up_ = MakeArrow(this, Qt::UpArrow, [on_step] { on_step(1); });
  down_ = MakeArrow(this, Qt::DownArrow, [on_step] { on_step(-1); });
}

void SpinArrows::resizeEvent(QResizeEvent*) {
  const int upper = height() / 2;
  up_->setGeometry(0, 0, width(), upper);
  down_->setGeometry(0, upper, width(), height() - upper);
}

}  // namespace qbus::ui
