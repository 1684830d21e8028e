// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/bus_tree_view.h"

#include <QAbstractItemModel>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "ui/dialog_focus.h"
#include "ui/tree_shape.h"

namespace qbus::ui {
namespace {

// The tree's lines as a model: a line becomes text only when drawn or asked for, so that a
// machine of 65,536 functions costs no item for each. The lines come in order, each after its
// parent (`depth` levels in).
class BusTreeModel : public QAbstractItemModel {
 public:
  explicit BusTreeModel(const std::vector<BusTreeItem>& lines)
      : lines_(lines), shape_(TreeShape::Of(lines)) {}

  int Row(const QModelIndex& index) const {
    return index.isValid() ? lines_[index.internalId()].row : -1;
  }

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override {
    const std::vector<int>& kids = Children(parent);
    if (column != 0 || row < 0 || static_cast<size_t>(row) >= kids.size()) return {};
    return createIndex(row, 0, static_cast<quintptr>(kids[static_cast<size_t>(row)]));
  }
  QModelIndex parent(const QModelIndex& child) const override {
    if (!child.isValid()) return {};
    const int up = shape_.parents[child.internalId()];
    return up < 0 ? QModelIndex()
                  : createIndex(shape_.rows[static_cast<size_t>(up)], 0, static_cast<quintptr>(up));
  }
  int rowCount(const QModelIndex& parent = {}) const override {
    return static_cast<int>(Children(parent).size());
  }
  int columnCount(const QModelIndex& = {}) const override { return 1; }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)) return {};
    return QString::fromStdString(lines_[index.internalId()].text);
  }

 private:
  const std::vector<int>& Children(const QModelIndex& parent) const {
    return shape_.children[parent.isValid() ? parent.internalId() + 1 : 0];
  }

  const std::vector<BusTreeItem>& lines_;
  TreeShape shape_;
};

// A tree of this many lines or fewer opens whole; a bigger one opens its root buses only, and
// the user opens the rest.
constexpr size_t kLinesOpenedWhole = 4096;

}  // namespace

void RunBusTreeView(QWidget* parent, const BusTreeContent& content) {
  const ReturnFocusOnClose focus_back(parent);
  QDialog dialog(parent);
  dialog.setWindowTitle(QStringLiteral("Bus tree"));
  auto* layout = new QVBoxLayout(&dialog);
  auto* label =
      new QLabel(QStringLiteral("&Buses, and the functions behind each bridge:"), &dialog);
  auto* tree = new QTreeView(&dialog);
  BusTreeModel model(content.lines);
  tree->setModel(&model);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
  label->setBuddy(tree);
  tree->setHeaderHidden(true);
  tree->setAccessibleName(QStringLiteral("Bus tree"));
  tree->setUniformRowHeights(true);
  tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
  layout->addWidget(label);
  layout->addWidget(tree);
  layout->addWidget(buttons);
  if (content.lines.size() <= kLinesOpenedWhole) {
    tree->expandAll();
  } else {
    tree->expandToDepth(0);
  }
  QObject::connect(tree->selectionModel(), &QItemSelectionModel::currentChanged, &dialog,
                   [&](const QModelIndex& index) {
                     const int row = model.Row(index);
                     if (row >= 0 && content.select) content.select(row);
                   });
  QObject::connect(tree, &QTreeView::activated, &dialog, [&](const QModelIndex& index) {
    const int row = model.Row(index);
    if (row >= 0 && (!content.activate || content.activate(row))) dialog.accept();
  });
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  buttons->button(QDialogButtonBox::Close)->setAutoDefault(false);
  tree->setFocus();
  dialog.resize(720, 480);
  dialog.exec();
}

}  // namespace qbus::ui
