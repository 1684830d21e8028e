// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QtGlobal>

#include "ui/ui_types.h"

QT_BEGIN_NAMESPACE
class QWidget;
QT_END_NAMESPACE

namespace qbus::ui {

// A small modal dialog over `parent`: a text field that filters as the user types and a list of
// what `filter` offers for the text. Enter (or a double-click) takes the highlighted line,
// Escape or the close box takes nothing. Works with the keyboard alone: Up, Down, Page Up and
// Page Down in the field move in the list.
std::optional<int> RunChooserDialog(QWidget* parent, const std::string& title,
                                    const std::string& prompt, const ChoiceFilter& filter);

// A small modal dialog asking for one line of text. `refusal` says why a text cannot be taken
// (empty: it can); a refused text stays in the dialog with the reason shown under it, and
// nothing is returned until the user gives one that is taken, or cancels (Escape, the close box).
std::optional<std::string> RunTextDialog(
    QWidget* parent, const std::string& title, const std::string& prompt,
    const std::string& initial, const std::function<std::string(const std::string&)>& refusal);

// Qt's own save dialog, starting at `file_name`; the path taken, or nothing.
std::optional<std::string> AskSavePath(QWidget* parent, const std::string& title,
                                       const std::string& file_name);

// Qt's own open dialog, for an existing file; the path taken, or nothing.
std::optional<std::string> AskOpenPath(QWidget* parent, const std::string& title);

// A modal box with `title`, `text`, one OK button and no icon, over `parent` (none: alone).
void ShowMessageOver(QWidget* parent, const std::string& title, const std::string& text);

}  // namespace qbus::ui
