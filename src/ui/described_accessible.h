// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QEvent>

namespace qbus::ui {

// Sent to a text or check-box control when an assistive technology asks for its description;
// the window layer's description filter answers it as it answers a tooltip, so the names are
// read from the hardware only when someone first asks for them.
constexpr QEvent::Type kDescribeEvent = static_cast<QEvent::Type>(QEvent::User + 613);

// Makes text controls (TextLabel) and check boxes (CheckBox) describe themselves when an
// assistive technology asks, without a hover or the focus: their accessible interfaces ask for
// the description with kDescribeEvent. Check boxes keep a check box's role, state and toggle
// action. Spin arrows (SpinArrow) read as push buttons named after their spin ("Bus, next"),
// and the main window (MainWindow) as a window, which AT-SPI calls a frame. Safe to call more
// than once.
void InstallDescribedAccessibility();

}  // namespace qbus::ui
