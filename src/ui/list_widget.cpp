// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/list_widget.h"

#include <QScrollBar>

namespace qbus::ui {

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

void ListWidget::scrollTo(const QModelIndex& index, ScrollHint hint) {
  QListWidget::scrollTo(index, hint);
  horizontalScrollBar()->setValue(0);
}

}  // namespace qbus::ui
