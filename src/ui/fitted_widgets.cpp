// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/fitted_widgets.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>

namespace qbus::ui {
namespace {

constexpr int kMostNarrowing = 3;  // pixels taken from one blank at most

}  // namespace

TextLabel::TextLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
  setTextFormat(Qt::PlainText);
  setWordWrap(true);
  // A label that can take the focus lays its text out as a document (about 4 ms for the first
  // form); only a label that is clicked, to be copied, needs the focus. It draws the same.
  setFocusPolicy(Qt::NoFocus);
  auto* copy = new QAction(tr("Copy"), this);
  connect(copy, &QAction::triggered, this, &TextLabel::Copy);
  addAction(copy);
  setContextMenuPolicy(Qt::ActionsContextMenu);
}

void TextLabel::SetText(const QString& text) {
  setText(text);
  Fit();
}

void TextLabel::Copy() { QGuiApplication::clipboard()->setText(text()); }

void TextLabel::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Copy)) return Copy();
  QLabel::keyPressEvent(event);
}

void TextLabel::mousePressEvent(QMouseEvent* event) {
  if (focusPolicy() == Qt::NoFocus) {
    setFocusPolicy(Qt::ClickFocus);
    setFocus(Qt::MouseFocusReason);
  }
  QLabel::mousePressEvent(event);
}

void TextLabel::changeEvent(QEvent* event) {
  QLabel::changeEvent(event);
  if (event->type() == QEvent::FontChange) Fit();
}

void TextLabel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  Fit();
}

void TextLabel::Fit() {
  // A control is made in the system font and then given its own; measuring in the system font
  // would load that font for nothing.
  if (font() == QApplication::font()) return;
  QFont fitted = font();
  const QString line = text();
  int narrowing = 0;
  if (!line.contains(QLatin1Char('\n')) && line.contains(QLatin1Char(' '))) {
    for (; narrowing <= kMostNarrowing; ++narrowing) {
      fitted.setWordSpacing(-narrowing);
      if (QFontMetrics(fitted).horizontalAdvance(line) <= contentsRect().width()) break;
    }
    if (narrowing > kMostNarrowing) narrowing = 0;  // too tight to read: let it wrap instead
  }
  if (font().wordSpacing() == -narrowing) return;
  fitted.setWordSpacing(-narrowing);
  setFont(fitted);  // comes back here through changeEvent, and then returns above
}

bool OptionButton::hitButton(const QPoint& position) const { return rect().contains(position); }

bool CheckBox::hitButton(const QPoint& position) const { return rect().contains(position); }

}  // namespace qbus::ui
