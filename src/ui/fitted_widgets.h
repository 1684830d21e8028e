// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>

namespace qbus::ui {

// A text control. A single line that would be wider than the control narrows the blanks between
// its words (by at most 3 pixels each) until it fits, so it stays on one line and whole instead
// of wrapping under the control below; the face and size stay as set. Its context menu, and
// Ctrl+C once it has been clicked, copy its whole text.
class TextLabel : public QLabel {
  Q_OBJECT

 public:
  TextLabel(const QString& text, QWidget* parent);

  // Sets the text and fits it; use this instead of QLabel::setText.
  void SetText(const QString& text);

 protected:
  void changeEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Fit();
  void Copy();
};

// An option (radio button) whose whole box takes a click, not just its mark and caption.
class OptionButton : public QRadioButton {
  Q_OBJECT

 public:
  using QRadioButton::QRadioButton;

 protected:
  bool hitButton(const QPoint& position) const override;
};

// A check box whose whole box takes a click, not just its mark and caption.
class CheckBox : public QCheckBox {
  Q_OBJECT

 public:
  using QCheckBox::QCheckBox;

 protected:
  bool hitButton(const QPoint& position) const override;
};

}  // namespace qbus::ui
