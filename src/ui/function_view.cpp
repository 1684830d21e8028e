// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/function_view.h"

#include <algorithm>

#include <QAbstractTableModel>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "ui/choice_dialogs.h"
#include "ui/dialog_focus.h"

namespace qbus::ui {
namespace {

QString ToQt(const std::string& text) { return QString::fromStdString(text); }

// Upper-case, as the main window shows every number.
QString Hex(int value, int digits) {
  return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

// The bytes as a table of 16 columns; names are asked for only when shown.
class BytesModel : public QAbstractTableModel {
 public:
  void Show(FunctionSnapshot snapshot) {
    beginResetModel();
    snapshot_ = std::move(snapshot);
    endResetModel();
  }
  const FunctionSnapshot& snapshot() const { return snapshot_; }

  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : static_cast<int>((snapshot_.bytes.size() + 15) / 16);
  }
  int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : 16; }

  QVariant data(const QModelIndex& index, int role) const override {
    const int offset = index.row() * 16 + index.column();
    if (!index.isValid() || offset >= static_cast<int>(snapshot_.bytes.size())) return {};
    const int byte = snapshot_.bytes[static_cast<size_t>(offset)];
    switch (role) {
      case Qt::DisplayRole:
        return Hex(byte, 2);
      case Qt::AccessibleTextRole:
        return QStringLiteral("0x%1: %2").arg(Hex(offset, OffsetDigits()), Hex(byte, 2));
      case Qt::ToolTipRole:
      case Qt::AccessibleDescriptionRole:
        return snapshot_.name ? ToQt(snapshot_.name(offset)) : QString();
      case Qt::TextAlignmentRole:
        return int(Qt::AlignCenter);
      default:
        return {};
    }
  }

  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Horizontal) return Hex(section, 1);
    return Hex(section * 16, OffsetDigits());
  }

 private:
  int OffsetDigits() const { return snapshot_.bytes.size() > 256 ? 3 : 2; }

  FunctionSnapshot snapshot_;
};

}  // namespace

void RunFunctionView(QWidget* parent, const FunctionViewContent& content) {
  const ReturnFocusOnClose focus_back(parent);
  QDialog dialog(parent);
  dialog.setWindowTitle(ToQt(content.title));
  auto* layout = new QVBoxLayout(&dialog);
  auto* note = new QLabel(&dialog);
  auto* table = new QTableView(&dialog);
  auto* jump_label = new QLabel(QStringLiteral("&Go to offset (hex):"), &dialog);
  auto* jump = new QLineEdit(&dialog);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
  QPushButton* refresh =
      buttons->addButton(QStringLiteral("&Refresh"), QDialogButtonBox::ActionRole);
  QPushButton* save = buttons->addButton(QStringLiteral("&Save..."), QDialogButtonBox::ActionRole);
  // Enter belongs to the offset field and the table: no button takes it.
  for (QPushButton* button : {refresh, save, buttons->button(QDialogButtonBox::Close)}) {
    button->setAutoDefault(false);
  }
  BytesModel model;

  const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  table->setFont(fixed);
  table->setModel(&model);
  table->setAccessibleName(QStringLiteral("Configuration space"));
  table->setSelectionMode(QAbstractItemView::SingleSelection);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setShowGrid(false);
  const int cell = QFontMetrics(fixed).horizontalAdvance(QStringLiteral("000"));
  table->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  table->horizontalHeader()->setDefaultSectionSize(cell);
  table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  table->verticalHeader()->setDefaultSectionSize(QFontMetrics(fixed).height() + 2);
  note->setBuddy(table);
  jump_label->setBuddy(jump);
  jump->setAccessibleName(QStringLiteral("Go to offset (hex)"));
  auto* jump_row = new QHBoxLayout;
  jump_row->addWidget(jump_label);
  jump_row->addWidget(jump);
  layout->addWidget(note);
  layout->addLayout(jump_row);
  layout->addWidget(table);
  layout->addWidget(buttons);

  // A new reading keeps the byte the user is on.
  const auto read = [&] {
    const QModelIndex at = table->currentIndex();
    model.Show(content.read());
    note->setText(ToQt(model.snapshot().note));
    const QModelIndex again = model.index(std::max(at.row(), 0), std::max(at.column(), 0));
    table->setCurrentIndex(again.isValid() ? again : model.index(0, 0));
  };
  // Enter in the offset field moves to that byte; an offset the reading does not hold stays
  // in the field, unmoved.
  QObject::connect(jump, &QLineEdit::returnPressed, &dialog, [&] {
    bool hex = false;
    QString typed = jump->text().trimmed();
    if (typed.startsWith(QStringLiteral("0x"), Qt::CaseInsensitive)) typed.remove(0, 2);
    const int offset = typed.toInt(&hex, 16);
    const QModelIndex at = model.index(offset / 16, offset % 16);
    if (!hex || offset < 0 || !at.isValid() || !at.data().isValid()) return;
    table->setCurrentIndex(at);
    table->scrollTo(at);
    table->setFocus();
  });
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  QObject::connect(refresh, &QPushButton::clicked, &dialog, read);
  QObject::connect(save, &QPushButton::clicked, &dialog, [&] {
    const std::optional<std::string> path =
        AskSavePath(&dialog, "Save function", content.file_name);
    if (!path) return;
    const std::string refusal = content.save(*path, model.snapshot());
    if (!refusal.empty()) ShowMessageOver(&dialog, "Save function", refusal);
  });
  read();
  table->setFocus();
  // Wide enough for every column with the offsets and the scroll bar, tall enough for 16 rows
  // under the note and the offset field.
  dialog.resize(table->verticalHeader()->sizeHint().width() + 16 * cell + 60,
                note->sizeHint().height() + jump->sizeHint().height() +
                    17 * (QFontMetrics(fixed).height() + 2) + 116);
  dialog.exec();
}

}  // namespace qbus::ui
