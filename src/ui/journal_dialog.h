// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <QtGlobal>

QT_BEGIN_NAMESPACE
class QWidget;
QT_END_NAMESPACE

namespace qbus::ui {

// The journal of writes, modal over `parent`: `lines`, one a write, oldest first, the newest
// current; Restore takes the current line, Copy all puts every line on the clipboard. The index
// of the line to restore, or nothing when the dialog closes.
std::optional<int> RunJournalDialog(QWidget* parent, const std::vector<std::string>& lines);

}  // namespace qbus::ui
