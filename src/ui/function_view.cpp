// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/function_view.h"

#include "ui/function_view_dialog.h"

namespace qbus::ui {

void RunFunctionView(QWidget* parent, const FunctionViewContent& content) {
  auto* view = new FunctionViewDialog(parent, content);
  view->setAttribute(Qt::WA_DeleteOnClose);
  // Without a window manager the keyboard would stay with the closed view.
  QObject::connect(view, &QDialog::finished, parent, [parent] {
    if (parent->window()->isVisible()) parent->window()->activateWindow();
  });
  view->show();
  view->activateWindow();
}

void CloseFunctionViews(QWidget* parent) {
  for (FunctionViewDialog* view : parent->findChildren<FunctionViewDialog*>()) view->close();
}

}  // namespace qbus::ui
