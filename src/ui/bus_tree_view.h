// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include "ui/ui_types.h"

QT_BEGIN_NAMESPACE
class QWidget;
QT_END_NAMESPACE

namespace qbus::ui {

// A modal dialog over `parent` with the bus tree, every line expanded (only the root buses of a
// tree of more than 4096 lines). Moving to a function's
// line calls `content.select` with its row; Enter or a double-click on one calls
// `content.activate` with it and ends the dialog when that returns true (or is empty). Enter on
// a bus line does nothing; Escape or Close ends it.
void RunBusTreeView(QWidget* parent, const BusTreeContent& content);

}  // namespace qbus::ui
