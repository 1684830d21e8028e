// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
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

// Qt's own save dialog, starting at `file_name`; the path taken, or nothing.
std::optional<std::string> AskSavePath(QWidget* parent, const std::string& title,
                                       const std::string& file_name);

// A message box as WindowLayer::ShowMessage shows it, over `parent`.
void ShowMessageOver(QWidget* parent, const std::string& title, const std::string& text);

}  // namespace qbus::ui
