// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include <QtGlobal>

#include "ui/ui_types.h"

QT_BEGIN_NAMESPACE
class QWidget;
QT_END_NAMESPACE

namespace qbus::ui {

// Shows the function view (function_view_dialog.h) beside `parent`'s window and returns; when
// it closes, the keyboard goes back to that window. It keeps a copy of `content` and calls its
// functions while it is open.
void RunFunctionView(QWidget* parent, const FunctionViewContent& content);
// Closes every function view of `parent`: what their content refers to is going.
void CloseFunctionViews(QWidget* parent);

}  // namespace qbus::ui
