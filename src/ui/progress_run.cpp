// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/progress_run.h"

#include <QProgressDialog>

#include "ui/dialog_focus.h"

namespace qbus::ui {

bool RunWithProgress(QWidget* parent, const std::string& title, const std::string& label, int count,
                     const std::function<bool(int index)>& step) {
  const ReturnFocusOnClose focus_back(parent);
  QProgressDialog progress(QString::fromStdString(label), QStringLiteral("Cancel"), 0, count,
                           parent);
  progress.setWindowTitle(QString::fromStdString(title));
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(300);  // shown only for work that looks to last longer
  progress.setAutoReset(false);
  for (int index = 0; index < count; ++index) {
    progress.setValue(index);  // a modal dialog lets the window repaint and Cancel be pressed
    if (progress.wasCanceled() || !step(index)) return false;
  }
  progress.setValue(count);
  return !progress.wasCanceled();
}

}  // namespace qbus::ui
