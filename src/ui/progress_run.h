// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>

#include <QtGlobal>

QT_BEGIN_NAMESPACE
class QWidget;
QT_END_NAMESPACE

namespace qbus::ui {

// Calls `step(0)` .. `step(count - 1)` in turn. Work that lasts more than a moment gets a modal
// progress dialog over `parent` titled `title`, with `label` and Cancel; the window repaints
// between steps. True when every step ran and returned true; false when one returned false or
// the user cancelled (no step runs after that).
bool RunWithProgress(QWidget* parent, const std::string& title, const std::string& label, int count,
                     const std::function<bool(int index)>& step);

}  // namespace qbus::ui
