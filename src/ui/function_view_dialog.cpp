// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/function_view_dialog.h"

#include <algorithm>

#include <QAction>
#include <QCheckBox>
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
#include <QTreeView>
#include <QVBoxLayout>

#include "ui/choice_dialogs.h"
#include "ui/restore_dialog.h"

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
  if (reference != nullptr && HeldBytes(*reference) != size) {
    held = std::string(kind == Reference::kCopy ? " The copy holds " : " The last reading held ") +
           std::to_string(HeldBytes(*reference)) + " of " + std::to_string(size) + " bytes.";
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

QFont FixedFont() { return QFontDatabase::systemFont(QFontDatabase::FixedFont); }

// A line of the byte table: the fixed font's height and a little room.
int RowHeight() { return QFontMetrics(FixedFont()).height() + 2; }

}  // namespace

FunctionViewDialog::FunctionViewDialog(QWidget* parent, FunctionViewContent content)
    : QDialog(parent), content_(std::move(content)) {
  setWindowTitle(ToQt(content_.title));
  auto* layout = new QVBoxLayout(this);
  note_ = new QLabel(this);
  marks_ = new QLabel(this);
  split_ = new QSplitter(this);
  table_ = new QTableView(split_);
  tree_ = new QTreeView(split_);
  jump_label_ = new QLabel(QStringLiteral("&Go to offset (hex):"), this);
  jump_ = new QLineEdit(this);
  watch_ = new QCheckBox(QStringLiteral("&Watch, every"), this);
  interval_ = new QSpinBox(this);
  // Only Close is the button box's: the box orders its buttons itself, again on every show, and
  // left Close out of Tab's round.
  buttons_ = new QDialogButtonBox(QDialogButtonBox::Close, this);
  refresh_ = new QPushButton(QStringLiteral("&Refresh"), this);
  compare_ = new QPushButton(QStringLiteral("Co&mpare with copy..."), this);
  save_ = new QPushButton(QStringLiteral("&Save..."), this);
  save_json_ = new QPushButton(QStringLiteral("Save as &JSON..."), this);
  restore_ = new QPushButton(QStringLiteral("Res&tore from copy..."), this);
  // Enter belongs to the offset field, the table and the tree: no button takes it.
  for (QPushButton* button : {refresh_, compare_, save_, save_json_, restore_,
                              buttons_->button(QDialogButtonBox::Close)}) {
    button->setAutoDefault(false);
  }
  buttons_->button(QDialogButtonBox::Close)->setIcon(QIcon());
  SetUpTable();
  SetUpTree();
  SetUpFields();
  LayOut(layout);
  Connect();
  compare_->setEnabled(static_cast<bool>(content_.open_copy));
  save_json_->setEnabled(static_cast<bool>(content_.save_json));
  restore_->setEnabled(false);  // until a copy is compared with
  if (content_.watch_writes) {
    written_ = std::make_shared<std::function<void()>>([this] {
      if (watch_->isChecked()) Read();
    });
    content_.watch_writes(written_);
  }
  Read();
  table_->setFocus();
  FitWindow();
}

void FunctionViewDialog::SetUpTable() {
  const QFont fixed = FixedFont();
  table_->setFont(fixed);
  table_->setModel(&model_);
  table_->setAccessibleName(QStringLiteral("Configuration space"));
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setShowGrid(false);
  // Tab leaves the table in one step; the arrows move within it.
  table_->setTabKeyNavigation(false);
  const int cell = QFontMetrics(fixed).horizontalAdvance(QStringLiteral("000"));
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  table_->horizontalHeader()->setDefaultSectionSize(cell);
  table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  table_->verticalHeader()->setDefaultSectionSize(RowHeight());
  table_width_ = table_->verticalHeader()->sizeHint().width() + 16 * cell + 40;
  table_->setMinimumWidth(table_width_);
}

void FunctionViewDialog::SetUpTree() {
  tree_->setModel(&decoded_);
  tree_->setAccessibleName(QStringLiteral("Decoded registers"));
  tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tree_->setUniformRowHeights(true);
  tree_->setTabKeyNavigation(false);
  set_field_ = new QAction(QStringLiteral("Set field..."), tree_);
  set_field_->setShortcut(QKeySequence(QStringLiteral("Ctrl+E")));
  set_field_->setShortcutContext(Qt::WidgetShortcut);
  set_field_->setEnabled(false);
  tree_->addAction(set_field_);
  tree_->setContextMenuPolicy(Qt::ActionsContextMenu);
  tree_->header()->setStretchLastSection(true);
  // Columns sized from their widest usual text, not measured over every line.
  const QFontMetrics metrics(tree_->font());
  const char* widest[] = {"Enable Clock Power Management", "bits 31-16", "0x00000000",
                          "write 1 to clear"};
  tree_width_ = 0;
  for (int column = 0; column < 4; ++column) {
    const int width = metrics.horizontalAdvance(QString::fromLatin1(widest[column])) +
                      (column == 0 ? 3 * tree_->indentation() : 0) + 16;
    tree_->header()->resizeSection(column, width);
    tree_width_ += width;
  }
  tree_width_ +=
      metrics.horizontalAdvance(QStringLiteral("Advanced Error Reporting capability")) + 32;
  split_->setChildrenCollapsible(false);
}

void FunctionViewDialog::SetUpFields() {
  note_->setBuddy(table_);
  jump_label_->setBuddy(jump_);
  jump_->setAccessibleName(QStringLiteral("Go to offset (hex)"));
  interval_->setRange(100, 60000);
  interval_->setSingleStep(100);
  interval_->setValue(1000);
  interval_->setSuffix(QStringLiteral(" ms"));
  interval_->setAccessibleName(QStringLiteral("Watch interval"));
  interval_->setAccessibleDescription(
      QStringLiteral("How often Watch reads the function again: 100 ms or more"));
  watch_->setAccessibleDescription(
      QStringLiteral("Reads the function again at the interval and marks what changed"));
  // No accessible name of its own: a screen reader hears the marks line's text, as it changes.
  marks_->setObjectName(QStringLiteral("marks"));
}

void FunctionViewDialog::LayOut(QVBoxLayout* layout) {
  auto* jump_row = new QHBoxLayout;
  jump_row->addWidget(jump_label_);
  jump_row->addWidget(jump_);
  jump_row->addSpacing(24);
  jump_row->addWidget(watch_);
  jump_row->addWidget(interval_);
  jump_row->addStretch();
  layout->addWidget(note_);
  layout->addWidget(marks_);
  layout->addLayout(jump_row);
  layout->addWidget(split_, 1);
  auto* button_row = new QHBoxLayout;
  for (QPushButton* button : {refresh_, compare_, save_, save_json_, restore_}) {
    button_row->addWidget(button);
  }
  button_row->addStretch();
  button_row->addWidget(buttons_);
  layout->addLayout(button_row);
  // Tab goes as the eye does: the row of buttons left to right, Close last.
  QWidget* previous = interval_;
  for (QWidget* next : {static_cast<QWidget*>(refresh_), static_cast<QWidget*>(compare_),
                        static_cast<QWidget*>(save_), static_cast<QWidget*>(save_json_),
                        static_cast<QWidget*>(restore_),
                        static_cast<QWidget*>(buttons_->button(QDialogButtonBox::Close))}) {
    setTabOrder(previous, next);
    previous = next;
  }
}

void FunctionViewDialog::Connect() {
  connect(jump_, &QLineEdit::returnPressed, this, &FunctionViewDialog::GoToTypedOffset);
  connect(tree_, &QTreeView::activated, this, &FunctionViewDialog::GoToRegister);
  connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(refresh_, &QPushButton::clicked, this, &FunctionViewDialog::Read);
  connect(compare_, &QPushButton::clicked, this, &FunctionViewDialog::ToggleCompare);
  connect(save_, &QPushButton::clicked, this, &FunctionViewDialog::Save);
  connect(save_json_, &QPushButton::clicked, this, &FunctionViewDialog::SaveJson);
  connect(restore_, &QPushButton::clicked, this, &FunctionViewDialog::RestoreFromCopy);
  connect(set_field_, &QAction::triggered, this, &FunctionViewDialog::SetField);
  connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& index) {
            const config_space::DecodedLine* line = decoded_.LineAt(index);
            set_field_->setEnabled(line != nullptr && line->depth == 2 && content_.set_field);
          });
  connect(&timer_, &QTimer::timeout, this, &FunctionViewDialog::Read);
  connect(watch_, &QCheckBox::toggled, this, &FunctionViewDialog::Watch);
  connect(interval_, &QSpinBox::valueChanged, this, &FunctionViewDialog::ChangeInterval);
}

// Wide enough for every byte column and a readable tree, tall enough for 16 rows under the notes
// and the offset field.
void FunctionViewDialog::FitWindow() {
  resize(table_width_ + tree_width_ + 40,
         note_->sizeHint().height() * 2 + jump_->sizeHint().height() + 17 * RowHeight() + 124);
  split_->setSizes({table_width_, tree_width_});
}

void FunctionViewDialog::Show(FunctionSnapshot snapshot) {
  const Reference kind = copy_   ? Reference::kCopy
                         : last_ ? Reference::kLastReading
                                 : Reference::kNone;
  const FunctionSnapshot* reference = copy_ ? &*copy_ : last_ ? &*last_ : nullptr;
  const QModelIndex at = table_->currentIndex();
  model_.Show(std::move(snapshot), reference, kind);
  if (decoded_.Show(model_.snapshot().tree, reference, kind)) {
    for (int row = 0; row < decoded_.rowCount(); ++row) tree_->expand(decoded_.index(row, 0));
  }
  note_->setText(ToQt(model_.snapshot().note));
  marks_->setText(ToQt(MarksNote(kind, reference, model_.snapshot().bytes.size(), model_.changed(),
                                 decoded_.changed())));
  marks_->setVisible(kind != Reference::kNone);
  const QModelIndex again = model_.index(std::max(at.row(), 0), std::max(at.column(), 0));
  table_->setCurrentIndex(again.isValid() ? again : model_.index(0, 0));
}

void FunctionViewDialog::Read() {
  if (!model_.snapshot().bytes.empty()) last_ = model_.snapshot();
  Show(content_.read());
}

void FunctionViewDialog::GoToTypedOffset() {
  bool hex = false;
  QString typed = jump_->text().trimmed();
  if (typed.startsWith(QStringLiteral("0x"), Qt::CaseInsensitive)) typed.remove(0, 2);
  const int offset = typed.toInt(&hex, 16);
  const QModelIndex at = model_.index(offset / 16, offset % 16);
  if (!hex || offset < 0 || !at.isValid() || !at.data().isValid()) return;
  table_->setCurrentIndex(at);
  table_->scrollTo(at);
  table_->setFocus();
}

void FunctionViewDialog::GoToRegister(const QModelIndex& index) {
  const config_space::DecodedLine* line = decoded_.LineAt(index);
  if (line == nullptr || line->depth == 0 || !content_.go_to) return;
  if (content_.go_to(line->offset, line->size)) accept();
}

void FunctionViewDialog::ToggleCompare() {
  if (copy_) {
    copy_.reset();
    compare_->setText(QStringLiteral("Co&mpare with copy..."));
  } else {
    const std::optional<std::string> path = AskOpenPath(this, "Compare with copy");
    if (!path) return;
    FunctionSnapshot opened = content_.open_copy(*path);
    if (!opened.refusal.empty()) {
      ShowMessageOver(this, "Compare with copy", opened.refusal);
      return;
    }
    copy_ = std::move(opened);
    compare_->setText(QStringLiteral("Stop co&mparing"));
  }
  restore_->setEnabled(copy_.has_value() && content_.plan_restore);
  Show(FunctionSnapshot(model_.snapshot()));
}

void FunctionViewDialog::RestoreFromCopy() {
  if (!copy_ || !content_.plan_restore) return;
  const std::vector<std::string> lines = content_.plan_restore(*copy_);
  if (lines.empty()) {
    ShowMessageOver(this, "Restore from copy",
                    "No register differs from the copy in the bits a write sets.");
    return;
  }
  RunRestoreDialog(this, lines, content_.restore);
  Read();
}

void FunctionViewDialog::Save() {
  const std::optional<std::string> path = AskSavePath(this, "Save function", content_.file_name);
  if (!path) return;
  const std::string refusal = content_.save(*path, model_.snapshot());
  if (!refusal.empty()) ShowMessageOver(this, "Save function", refusal);
}

void FunctionViewDialog::SaveJson() {
  std::string name = content_.file_name;
  if (name.ends_with(".txt")) name.replace(name.size() - 4, 4, ".json");
  const std::optional<std::string> path = AskSavePath(this, "Save as JSON", name);
  if (!path) return;
  const std::string refusal = content_.save_json(*path, model_.snapshot());
  if (!refusal.empty()) ShowMessageOver(this, "Save as JSON", refusal);
}

void FunctionViewDialog::SetField() {
  const config_space::DecodedLine* line = decoded_.LineAt(tree_->currentIndex());
  if (line == nullptr || line->depth != 2 || !content_.set_field) return;
  // The main window takes the keyboard: WRITE is what comes next.
  if (content_.set_field(*line, model_.snapshot())) parentWidget()->window()->activateWindow();
}

void FunctionViewDialog::Watch(bool on) {
  if (on) {
    timer_.start(interval_->value());
  } else {
    timer_.stop();
  }
}

void FunctionViewDialog::ChangeInterval(int ms) {
  if (timer_.isActive()) timer_.start(ms);
}

}  // namespace qbus::ui
