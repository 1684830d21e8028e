// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>

#include <QListWidget>

namespace qbus::ui {

// A list that never scrolls sideways: lines wider than the box are cut at its right edge. A
// line's tooltip and accessible description come from the description source when first asked.
// Lines given to an empty list are one batch: the view and a screen reader hear of them once,
// not once a line, before the list or its viewport next takes an event or a selection.
class ListWidget : public QListWidget {
  Q_OBJECT

 public:
  explicit ListWidget(QWidget* parent);

  // Appends (row -1) or inserts a line.
  void InsertLine(int row, const QString& text);
  void SelectLine(int row);
  void SetDescriptionSource(std::function<std::string(int row)> source);
  // A number kept with a line; -1 for the current line when there is none.
  void SetValue(int row, int value);
  int CurrentValue() const;
  QString Describe(const QListWidgetItem* line) const;

  void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

 protected:
  bool event(QEvent* event) override;
  bool viewportEvent(QEvent* event) override;

 private:
  void EndBatch();

  bool in_batch_ = false;
  std::function<std::string(int row)> describe_;
};

}  // namespace qbus::ui
