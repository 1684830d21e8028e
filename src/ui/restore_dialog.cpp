// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/restore_dialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace qbus::ui {

void RunRestoreDialog(QWidget* parent, const std::vector<std::string>& lines,
                      const std::function<std::string(int line)>& write) {
  QDialog dialog(parent);
  dialog.setWindowTitle(QStringLiteral("Restore from copy"));
  auto* layout = new QVBoxLayout(&dialog);
  auto* label = new QLabel(
      QStringLiteral("&Registers whose writable bits differ from the copy (now -> copy); tick "
                     "those to write. Read-only and write-1-to-clear bits are not written."),
      &dialog);
  label->setWordWrap(true);
  auto* list = new QListWidget(&dialog);
  label->setBuddy(list);
  list->setAccessibleName(QStringLiteral("Registers to restore"));
  for (const std::string& line : lines) {
    auto* item = new QListWidgetItem(QString::fromStdString(line), list);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
  }
  list->setCurrentRow(0);
  auto* buttons = new QDialogButtonBox(&dialog);
  QPushButton* write_button =
      buttons->addButton(QStringLiteral("&Write chosen"), QDialogButtonBox::ActionRole);
  QPushButton* close = buttons->addButton(QDialogButtonBox::Close);
  close->setIcon(QIcon());
  write_button->setAutoDefault(false);
  layout->addWidget(label);
  layout->addWidget(list);
  layout->addWidget(buttons);
  QObject::connect(write_button, &QPushButton::clicked, &dialog, [&] {
    write_button->setEnabled(false);  // each write is made once
    for (int row = 0; row < list->count(); ++row) {
      QListWidgetItem* item = list->item(row);
      item->setFlags(item->flags() & ~Qt::ItemIsUserCheckable);
      if (item->checkState() != Qt::Checked) continue;
      item->setText(item->text() + QStringLiteral(": ") + QString::fromStdString(write(row)));
    }
  });
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  list->setFocus();
  dialog.resize(760, 360);
  dialog.exec();
}

}  // namespace qbus::ui
