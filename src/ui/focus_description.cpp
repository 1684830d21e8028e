// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/focus_description.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QShortcut>
#include <QToolTip>

#include "ui/described_accessible.h"

namespace qbus::ui {

void OfferFocusDescription(QWidget* window) {
  auto* shortcut = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F1), window);
  shortcut->setContext(Qt::WindowShortcut);
  QObject::connect(shortcut, &QShortcut::activated, window, [window] {
    QWidget* focused = window->focusWidget();
    if (focused == nullptr) return;
    QString text;
    QRect place = focused->rect();
    if (auto* view = qobject_cast<QAbstractItemView*>(focused)) {
      const QModelIndex line = view->currentIndex();
      text = line.data(Qt::ToolTipRole).toString();
      place = view->visualRect(line);
      focused = view->viewport();
    } else {
      // A description is made the first time one is asked for.
      QEvent ask(kDescribeEvent);
      QApplication::sendEvent(focused, &ask);
      text = focused->toolTip();
    }
    if (!text.isEmpty())
      QToolTip::showText(focused->mapToGlobal(place.bottomLeft()), text, focused);
  });
}

}  // namespace qbus::ui
