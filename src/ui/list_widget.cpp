// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/list_widget.h"

#include <QAccessible>
#include <QScrollBar>

namespace qbus::ui {
namespace {

// A line that asks its list for its description when a tooltip or a screen reader wants it.
class DescribedLine : public QListWidgetItem {
 public:
  explicit DescribedLine(const QString& text) : QListWidgetItem(text) {}

  int value = 0;

  QVariant data(int role) const override {
    if (role != Qt::ToolTipRole && role != Qt::AccessibleDescriptionRole) {
      return QListWidgetItem::data(role);
    }
    if (!described_ && listWidget() != nullptr) {
      description_ = static_cast<const ListWidget*>(listWidget())->Describe(this);
      described_ = true;
    }
    return description_.isEmpty() ? QVariant() : QVariant(description_);
  }

 private:
  mutable bool described_ = false;
  mutable QString description_;
};

}  // namespace

ListWidget::ListWidget(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setTextElideMode(Qt::ElideNone);
  setWordWrap(false);
  // Every line has the same height, so the view needs no layout pass over the lines: a list of
  // 65,536 lines shows as fast as one of a dozen.
  setUniformItemSizes(true);
  // Keys and item visits may still ask for a sideways move; the view stays at its left edge.
  connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
    if (value != 0) horizontalScrollBar()->setValue(0);
  });
}

void ListWidget::InsertLine(int row, const QString& text) {
  // A signal per line costs the view a layout request and a screen reader an event: 65,536
  // lines would take more than twice as long. The model still keeps its indexes as lines go in.
  if (!in_batch_ && count() == 0) {
    model()->blockSignals(true);
    in_batch_ = true;
  }
  insertItem(row, new DescribedLine(text));
}

void ListWidget::EndBatch() {
  if (!in_batch_) return;
  in_batch_ = false;
  model()->blockSignals(false);
  doItemsLayout();
  if (QAccessible::isActive()) {
    QAccessibleTableModelChangeEvent change(this, QAccessibleTableModelChangeEvent::ModelReset);
    QAccessible::updateAccessibility(&change);
  }
}

bool ListWidget::event(QEvent* event) {
  EndBatch();
  return QListWidget::event(event);
}

bool ListWidget::viewportEvent(QEvent* event) {
  EndBatch();
  return QListWidget::viewportEvent(event);
}

void ListWidget::SelectLine(int row) {
  EndBatch();
  setCurrentRow(row);
}

void ListWidget::SetValue(int row, int value) {
  if (auto* line = static_cast<DescribedLine*>(item(row))) line->value = value;
}

int ListWidget::CurrentValue() const {
  const auto* line = static_cast<const DescribedLine*>(currentItem());
  return line == nullptr ? -1 : line->value;
}

void ListWidget::SetDescriptionSource(std::function<std::string(int row)> source) {
  describe_ = std::move(source);
}

QString ListWidget::Describe(const QListWidgetItem* line) const {
  if (!describe_) return {};
  return QString::fromStdString(describe_(row(line)));
}

void ListWidget::scrollTo(const QModelIndex& index, ScrollHint hint) {
  QListWidget::scrollTo(index, hint);
  horizontalScrollBar()->setValue(0);
}

}  // namespace qbus::ui
