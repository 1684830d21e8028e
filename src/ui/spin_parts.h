// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

#include <QLineEdit>
#include <QPointer>
#include <QToolButton>
#include <QWidget>

// The two widgets of a spin control: the number field and the pair of arrows. Both report a
// requested step to `on_step` (+1 up, -1 down; held keys and arrows step 4 and then 16 at a
// time, Page Up/Page Down 16, Home/End to the limits); the layer moves the position, within
// its range, and raises events.
namespace qbus::ui {

// Steps far beyond any range, which the layer clamps to the limits.
constexpr int kStepToLimit = 1 << 24;

// The step of one repeat while a key or arrow is held: 1 for the first repeats, then 4, then 16.
int HeldStep(int repeats);

class SpinField : public QLineEdit {
  Q_OBJECT

 public:
  SpinField(QWidget* parent, std::function<void(int)> on_step);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  std::function<void(int)> on_step_;
  int repeats_ = 0;  // auto-repeats of the key held now
};

// One arrow of a spin. It takes no focus: the keyboard steps the spin in its field.
class SpinArrow : public QToolButton {
  Q_OBJECT

 public:
  // `word` says which way the arrow steps ("next", "previous"); `field` is the spin's field,
  // which may be named after the arrow is made.
  SpinArrow(QWidget* parent, Qt::ArrowType arrow, QString word, const QWidget* field);

  // The name a screen reader reads for the arrow: the field's name and the word ("Bus, next"),
  // or the word alone while the field has no name.
  QString SpokenName() const;

 private:
  QString word_;
  QPointer<const QWidget> field_;
};

// Up and down arrow buttons stacked in one box; holding one repeats its step. The arrows are
// named after `field`, the spin's field.
class SpinArrows : public QWidget {
  Q_OBJECT

 public:
  SpinArrows(QWidget* parent, const QWidget* field, std::function<void(int)> on_step);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  QWidget* up_;
  QWidget* down_;
  int repeats_ = 0;  // repeated clicks of the arrow held now
};

}  // namespace qbus::ui
