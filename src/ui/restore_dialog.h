// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <QtGlobal>

QT_BEGIN_NAMESPACE
class QWidget;
QT_END_NAMESPACE

namespace qbus::ui {

// Restore from copy, modal over `parent`: a line per register that differs from the copy, each
// with a check box the user ticks (none is ticked at first); Write chosen calls `write` for each
// ticked line, in order, and shows what it returns beside the line.
void RunRestoreDialog(QWidget* parent, const std::vector<std::string>& lines,
                      const std::function<std::string(int line)>& write);

}  // namespace qbus::ui
