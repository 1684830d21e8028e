// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include <QtGlobal>

#include "ui/ui_types.h"

QT_BEGIN_NAMESPACE
class QWidget;
QT_END_NAMESPACE

namespace qbus::ui {

// Shows the function view (function_view_dialog.h) modally over `parent`, then gives the keyboard
// back to `parent`'s window. Read-only: it only calls `content`'s functions.
void RunFunctionView(QWidget* parent, const FunctionViewContent& content);

}  // namespace qbus::ui
