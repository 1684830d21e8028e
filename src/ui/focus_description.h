// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

QT_BEGIN_NAMESPACE
class QWidget;
QT_END_NAMESPACE

namespace qbus::ui {

// Shift+F1 in `window` shows the description of the control that has the keyboard focus (for a
// list, of its current line) as a tooltip beside it, as resting the pointer there would: the
// registers and decoded values are there for keyboard users too. A control without one shows
// nothing.
void OfferFocusDescription(QWidget* window);

}  // namespace qbus::ui
