// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include <QtGlobal>

#include "ui/ui_types.h"

QT_BEGIN_NAMESPACE
class QWidget;
QT_END_NAMESPACE

namespace qbus::ui {

// A modal dialog over `parent` showing a function's configuration space, 16 bytes a row after
// their offset, each byte's register name on hover and as its accessible description, with
// Refresh, Save... and Close. Read-only: it only calls `content`'s functions.
void RunFunctionView(QWidget* parent, const FunctionViewContent& content);

}  // namespace qbus::ui
