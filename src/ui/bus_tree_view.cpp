// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/bus_tree_view.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "ui/dialog_focus.h"

namespace qbus::ui {

void RunBusTreeView(QWidget* parent, const BusTreeContent& content) {
  const ReturnFocusOnClose focus_back(parent);
  QDialog dialog(parent);
  dialog.setWindowTitle(QStringLiteral("Bus tree"));
  auto* layout = new QVBoxLayout(&dialog);
  auto* label =
      new QLabel(QStringLiteral("&Buses, and the functions behind each bridge:"), &dialog);
  auto* tree = new QTreeWidget(&dialog);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
  label->setBuddy(tree);
  tree->setHeaderHidden(true);
  tree->setAccessibleName(QStringLiteral("Bus tree"));
  tree->setUniformRowHeights(true);
  layout->addWidget(label);
  layout->addWidget(tree);
  layout->addWidget(buttons);

  std::vector<QTreeWidgetItem*> parents;
  for (const BusTreeItem& line : content.lines) {
    const size_t depth = static_cast<size_t>(std::max(line.depth, 0));
    parents.resize(std::min(depth, parents.size()));
    auto* item = parents.empty() ? new QTreeWidgetItem(tree) : new QTreeWidgetItem(parents.back());
    item->setText(0, QString::fromStdString(line.text));
    item->setData(0, Qt::UserRole, line.row);
    parents.push_back(item);
  }
  tree->expandAll();
  QObject::connect(tree, &QTreeWidget::currentItemChanged, &dialog, [&](QTreeWidgetItem* item) {
    const int row = item != nullptr ? item->data(0, Qt::UserRole).toInt() : -1;
    if (row >= 0 && content.select) content.select(row);
  });
  QObject::connect(tree, &QTreeWidget::itemActivated, &dialog, [&](QTreeWidgetItem* item) {
    const int row = item->data(0, Qt::UserRole).toInt();
    if (row >= 0 && (!content.activate || content.activate(row))) dialog.accept();
  });
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  buttons->button(QDialogButtonBox::Close)->setAutoDefault(false);
  tree->setFocus();
  dialog.resize(720, 480);
  dialog.exec();
}

}  // namespace qbus::ui
