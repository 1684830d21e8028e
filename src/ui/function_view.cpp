// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/function_view.h"

#include "ui/dialog_focus.h"
#include "ui/function_view_dialog.h"

namespace qbus::ui {

void RunFunctionView(QWidget* parent, const FunctionViewContent& content) {
  const ReturnFocusOnClose focus_back(parent);
  FunctionViewDialog dialog(parent, content);
  dialog.exec();
}

}  // namespace qbus::ui
