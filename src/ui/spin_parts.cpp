// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/spin_parts.h"

#include <QKeyEvent>

namespace qbus::ui {

int HeldStep(int repeats) { return repeats >= 24 ? 16 : repeats >= 8 ? 4 : 1; }

SpinField::SpinField(QWidget* parent, std::function<void(int)> on_step)
    : QLineEdit(parent), on_step_(std::move(on_step)) {}

void SpinField::keyPressEvent(QKeyEvent* event) {
  repeats_ = event->isAutoRepeat() ? repeats_ + 1 : 0;
  switch (event->key()) {
    case Qt::Key_Up:
      return on_step_(HeldStep(repeats_));
    case Qt::Key_Down:
      return on_step_(-HeldStep(repeats_));
    case Qt::Key_PageUp:
      return on_step_(16);
    case Qt::Key_PageDown:
      return on_step_(-16);
    case Qt::Key_End:
      return on_step_(kStepToLimit);
    case Qt::Key_Home:
      return on_step_(-kStepToLimit);
    default:
      QLineEdit::keyPressEvent(event);
  }
}

SpinArrow::SpinArrow(QWidget* parent, Qt::ArrowType arrow, QString word, const QWidget* field)
    : QToolButton(parent), word_(std::move(word)), field_(field) {
  setArrowType(arrow);
  setAutoRepeat(true);
  setFocusPolicy(Qt::NoFocus);
}

QString SpinArrow::SpokenName() const {
  const QString name = field_ ? field_->accessibleName() : QString();
  return name.isEmpty() ? word_ : name + QStringLiteral(", ") + word_;
}

SpinArrows::SpinArrows(QWidget* parent, const QWidget* field, std::function<void(int)> on_step)
    : QWidget(parent) {
  setFocusPolicy(Qt::NoFocus);
  auto* up = new SpinArrow(this, Qt::UpArrow, QStringLiteral("next"), field);
  auto* down = new SpinArrow(this, Qt::DownArrow, QStringLiteral("previous"), field);
  // A click while the arrow is still down is a repeat of a held arrow.
  for (auto [button, sign] : {std::pair{up, 1}, std::pair{down, -1}}) {
    connect(button, &QToolButton::clicked, this, [this, button, sign, on_step] {
      repeats_ = button->isDown() ? repeats_ + 1 : 0;
      on_step(sign * HeldStep(repeats_));
    });
  }
  up_ = up;
  down_ = down;
}

void SpinArrows::resizeEvent(QResizeEvent*) {
  const int upper = height() / 2;
  up_->setGeometry(0, 0, width(), upper);
  down_->setGeometry(0, upper, width(), height() - upper);
}

}  // namespace qbus::ui
