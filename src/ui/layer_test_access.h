// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include "ui/window_layer.h"

QT_BEGIN_NAMESPACE
class QWidget;
QT_END_NAMESPACE

namespace qbus::ui {

// For tests and screenshots only (the phases never see a widget): the Qt widgets behind a
// window layer. Null where nothing is.
struct LayerTestAccess {
  // The widget behind control `id` (for a spin, its field).
  static QWidget* Control(const WindowLayer& layer, ControlId id);
  static QWidget* MainWindow(const WindowLayer& layer);
};

}  // namespace qbus::ui
