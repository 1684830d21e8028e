// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/journal_dialog.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/dialog_focus.h"

namespace qbus::ui {

std::optional<int> RunJournalDialog(QWidget* parent, const std::vector<std::string>& lines) {
  const ReturnFocusOnClose focus_back(parent);
  QDialog dialog(parent);
  dialog.setWindowTitle(QStringLiteral("Journal of writes"));
  auto* layout = new QVBoxLayout(&dialog);
  auto* label = new QLabel(lines.empty() ? QStringLiteral("&Nothing has been written yet.")
                                         : QStringLiteral("&Writes of this session, oldest first:"),
                           &dialog);
  auto* list = new QListWidget(&dialog);
  label->setBuddy(list);
  list->setAccessibleName(QStringLiteral("Writes of this session"));
  QString all;
  for (const std::string& line : lines) {
    list->addItem(QString::fromStdString(line));
    all += QString::fromStdString(line) + QLatin1Char('\n');
  }
  list->setCurrentRow(static_cast<int>(lines.size()) - 1);
  auto* buttons = new QDialogButtonBox(&dialog);
  QPushButton* restore =
      buttons->addButton(QStringLiteral("&Restore the value before"), QDialogButtonBox::AcceptRole);
  QPushButton* copy = buttons->addButton(QStringLiteral("&Copy all"), QDialogButtonBox::ActionRole);
  QPushButton* close = buttons->addButton(QDialogButtonBox::Close);
  close->setIcon(QIcon());
  restore->setEnabled(!lines.empty());
  copy->setEnabled(!lines.empty());
  layout->addWidget(label);
  layout->addWidget(list);
  layout->addWidget(buttons);
  QObject::connect(copy, &QPushButton::clicked, &dialog,
                   [all] { QApplication::clipboard()->setText(all); });
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  QObject::connect(list, &QListWidget::itemActivated, &dialog, &QDialog::accept);
  list->setFocus();
  dialog.resize(900, 360);
  if (dialog.exec() != QDialog::Accepted || list->currentRow() < 0) return std::nullopt;
  return list->currentRow();
}

}  // namespace qbus::ui
