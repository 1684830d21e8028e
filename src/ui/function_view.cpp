// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/function_view.h"

#include <algorithm>

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTableView>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include "ui/choice_dialogs.h"
#include "ui/dialog_focus.h"
#include "ui/function_models.h"

namespace qbus::ui {
namespace {

QString ToQt(const std::string& text) { return QString::fromStdString(text); }

std::string Count(int count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// "Since the last reading: 2 bytes and 1 field changed.", and how much the reference holds when
// it holds less or more: "The copy holds 256 of 4096 bytes."
std::string MarksNote(Reference kind, const FunctionSnapshot* reference, size_t size, int bytes,
                      int fields) {
  const std::string counts =
      Count(bytes, "byte", "bytes") + " and " + Count(fields, "field", "fields");
  std::string held;
  if (reference != nullptr && reference->bytes.size() != size) {
    held = std::string(kind == Reference::kCopy ? " The copy holds " : " The last reading held ") +
           std::to_string(reference->bytes.size()) + " of " + std::to_string(size) + " bytes.";
  }
  switch (kind) {
    case Reference::kLastReading:
      return "Since the last reading: " + counts + " changed." + held;
    case Reference::kCopy:
      return "Against " + reference->note + ": " + counts + " differ." + held;
    case Reference::kNone:
      break;
  }
  return {};
}

}  // namespace

void RunFunctionView(QWidget* parent, const FunctionViewContent& content) {
  const ReturnFocusOnClose focus_back(parent);
  QDialog dialog(parent);
  dialog.setWindowTitle(ToQt(content.title));
  auto* layout = new QVBoxLayout(&dialog);
  auto* note = new QLabel(&dialog);
  auto* marks = new QLabel(&dialog);
  auto* split = new QSplitter(&dialog);
  auto* table = new QTableView(split);
  auto* tree = new QTreeView(split);
  auto* jump_label = new QLabel(QStringLiteral("&Go to offset (hex):"), &dialog);
  auto* jump = new QLineEdit(&dialog);
  auto* watch = new QCheckBox(QStringLiteral("&Watch, every"), &dialog);
  auto* interval = new QSpinBox(&dialog);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
  QPushButton* refresh =
      buttons->addButton(QStringLiteral("&Refresh"), QDialogButtonBox::ActionRole);
  QPushButton* compare =
      buttons->addButton(QStringLiteral("Co&mpare with copy..."), QDialogButtonBox::ActionRole);
  QPushButton* save = buttons->addButton(QStringLiteral("&Save..."), QDialogButtonBox::ActionRole);
  // Enter belongs to the offset field, the table and the tree: no button takes it.
  for (QPushButton* button : {refresh, compare, save, buttons->button(QDialogButtonBox::Close)}) {
    button->setAutoDefault(false);
  }
  BytesModel model;
  DecodedTreeModel decoded;
  QTimer timer;

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
  const int table_width = table->verticalHeader()->sizeHint().width() + 16 * cell + 40;
  table->setMinimumWidth(table_width);
  tree->setModel(&decoded);
  tree->setAccessibleName(QStringLiteral("Decoded registers"));
  tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tree->setUniformRowHeights(true);
  tree->header()->setStretchLastSection(true);
  // Columns sized from their widest usual text, not measured over every line.
  const QFontMetrics metrics(tree->font());
  const char* widest[] = {"Enable Clock Power Management", "bits 31-16", "0x00000000",
                          "write 1 to clear"};
  int tree_width = 0;
  for (int column = 0; column < 4; ++column) {
    const int width = metrics.horizontalAdvance(QString::fromLatin1(widest[column])) +
                      (column == 0 ? 3 * tree->indentation() : 0) + 16;
    tree->header()->resizeSection(column, width);
    tree_width += width;
  }
  tree_width +=
      metrics.horizontalAdvance(QStringLiteral("Advanced Error Reporting capability")) + 32;
  split->setChildrenCollapsible(false);
  note->setBuddy(table);
  jump_label->setBuddy(jump);
  jump->setAccessibleName(QStringLiteral("Go to offset (hex)"));
  interval->setRange(100, 60000);
  interval->setSingleStep(100);
  interval->setValue(1000);
  interval->setSuffix(QStringLiteral(" ms"));
  interval->setAccessibleName(QStringLiteral("Watch interval"));
  interval->setAccessibleDescription(
      QStringLiteral("How often Watch reads the function again: 100 ms or more"));
  watch->setAccessibleDescription(
      QStringLiteral("Reads the function again at the interval and marks what changed"));
  marks->setAccessibleName(QStringLiteral("Marks"));
  auto* jump_row = new QHBoxLayout;
  jump_row->addWidget(jump_label);
  jump_row->addWidget(jump);
  jump_row->addSpacing(24);
  jump_row->addWidget(watch);
  jump_row->addWidget(interval);
  jump_row->addStretch();
  layout->addWidget(note);
  layout->addWidget(marks);
  layout->addLayout(jump_row);
  layout->addWidget(split, 1);
  layout->addWidget(buttons);

  // The marks compare each reading with a copy when one is open, else with the reading before.
  std::optional<FunctionSnapshot> copy;
  std::optional<FunctionSnapshot> last;
  const auto show = [&](FunctionSnapshot snapshot) {
    const Reference kind = copy   ? Reference::kCopy
                           : last ? Reference::kLastReading
                                  : Reference::kNone;
    const FunctionSnapshot* reference = copy ? &*copy : last ? &*last : nullptr;
    const QModelIndex at = table->currentIndex();
    model.Show(std::move(snapshot), reference, kind);
    if (decoded.Show(model.snapshot().tree, reference, kind)) {
      for (int row = 0; row < decoded.rowCount(); ++row) tree->expand(decoded.index(row, 0));
    }
    note->setText(ToQt(model.snapshot().note));
    marks->setText(ToQt(MarksNote(kind, reference, model.snapshot().bytes.size(), model.changed(),
                                  decoded.changed())));
    marks->setVisible(kind != Reference::kNone);
    const QModelIndex again = model.index(std::max(at.row(), 0), std::max(at.column(), 0));
    table->setCurrentIndex(again.isValid() ? again : model.index(0, 0));
  };
  const auto read = [&] {
    if (!model.snapshot().bytes.empty()) last = model.snapshot();
    show(content.read());
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
  // Enter or a double-click on a register or field sets the main form to its register; the
  // view closes when the form takes it.
  QObject::connect(tree, &QTreeView::activated, &dialog, [&](const QModelIndex& index) {
    const DecodedItem* line = decoded.LineAt(index);
    if (line == nullptr || line->depth == 0 || !content.go_to) return;
    if (content.go_to(line->offset, line->size)) dialog.accept();
  });
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  QObject::connect(refresh, &QPushButton::clicked, &dialog, read);
  QObject::connect(compare, &QPushButton::clicked, &dialog, [&] {
    if (copy) {
      copy.reset();
      compare->setText(QStringLiteral("Co&mpare with copy..."));
    } else {
      const std::optional<std::string> path = AskOpenPath(&dialog, "Compare with copy");
      if (!path) return;
      FunctionSnapshot opened = content.open_copy(*path);
      if (!opened.refusal.empty()) {
        ShowMessageOver(&dialog, "Compare with copy", opened.refusal);
        return;
      }
      copy = std::move(opened);
      compare->setText(QStringLiteral("Stop co&mparing"));
    }
    show(FunctionSnapshot(model.snapshot()));
  });
  QObject::connect(save, &QPushButton::clicked, &dialog, [&] {
    const std::optional<std::string> path =
        AskSavePath(&dialog, "Save function", content.file_name);
    if (!path) return;
    const std::string refusal = content.save(*path, model.snapshot());
    if (!refusal.empty()) ShowMessageOver(&dialog, "Save function", refusal);
  });
  // Watching reads again at the interval until it is unticked or the view closes.
  QObject::connect(&timer, &QTimer::timeout, &dialog, read);
  QObject::connect(watch, &QCheckBox::toggled, &dialog, [&](bool on) {
    if (on) {
      timer.start(interval->value());
    } else {
      timer.stop();
    }
  });
  QObject::connect(interval, &QSpinBox::valueChanged, &dialog, [&](int ms) {
    if (timer.isActive()) timer.start(ms);
  });
  compare->setEnabled(static_cast<bool>(content.open_copy));
  read();
  table->setFocus();
  // Wide enough for every byte column and a readable tree, tall enough for 16 rows under the
  // notes and the offset field.
  dialog.resize(table_width + tree_width + 40, note->sizeHint().height() * 2 +
                                                   jump->sizeHint().height() +
                                                   17 * (QFontMetrics(fixed).height() + 2) + 124);
  split->setSizes({table_width, tree_width});
  dialog.exec();
}

}  // namespace qbus::ui
