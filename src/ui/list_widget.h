// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QListWidget>

namespace qbus::ui {

// A list that never scrolls sideways: lines wider than the box are cut at its right edge.
class ListWidget : public QListWidget {
  Q_OBJECT

 public:
  explicit ListWidget(QWidget* parent);

  void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
};

}  // namespace qbus::ui
