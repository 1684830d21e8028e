// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/described_accessible.h"

#include <QAccessibleWidget>
#include <QCoreApplication>

#include "ui/fitted_widgets.h"
#include "ui/main_window.h"
#include "ui/spin_parts.h"

namespace qbus::ui {
namespace {

QString Described(QWidget* widget) {
  if (widget->accessibleDescription().isEmpty()) {
    QEvent ask(kDescribeEvent);
    QCoreApplication::sendEvent(widget, &ask);
  }
  return widget->accessibleDescription();
}

class DescribedLabel : public QAccessibleWidget {
 public:
  explicit DescribedLabel(TextLabel* label) : QAccessibleWidget(label, QAccessible::StaticText) {}

  QString text(QAccessible::Text kind) const override {
    if (kind == QAccessible::Description) return Described(widget());
    if (kind == QAccessible::Name && widget()->accessibleName().isEmpty()) {
      return static_cast<const TextLabel*>(widget())->text();
    }
    return QAccessibleWidget::text(kind);
  }
};

class DescribedCheckBox : public QAccessibleWidget {
 public:
  explicit DescribedCheckBox(CheckBox* box) : QAccessibleWidget(box, QAccessible::CheckBox) {}

  QString text(QAccessible::Text kind) const override {
    if (kind == QAccessible::Description) return Described(widget());
    if (kind == QAccessible::Name && widget()->accessibleName().isEmpty()) return Box()->text();
    return QAccessibleWidget::text(kind);
  }

  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    state.checkable = true;
    state.checked = Box()->isChecked();
    return state;
  }

  QStringList actionNames() const override {
    return QStringList(toggleAction()) + QAccessibleWidget::actionNames();
  }

  void doAction(const QString& name) override {
    if (name == toggleAction() || name == pressAction()) {
      if (Box()->isEnabled()) Box()->click();
      return;
    }
    QAccessibleWidget::doAction(name);
  }

 private:
  CheckBox* Box() const { return static_cast<CheckBox*>(widget()); }
};

// A spin arrow, named at each ask, so it follows its spin's name however late that is set.
class NamedSpinArrow : public QAccessibleWidget {
 public:
  explicit NamedSpinArrow(SpinArrow* arrow) : QAccessibleWidget(arrow, QAccessible::PushButton) {}

  QString text(QAccessible::Text kind) const override {
    if (kind == QAccessible::Name) return Arrow()->SpokenName();
    return QAccessibleWidget::text(kind);
  }

  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    state.pressed = Arrow()->isDown();
    return state;
  }

  QStringList actionNames() const override {
    return QStringList(pressAction()) + QAccessibleWidget::actionNames();
  }

  void doAction(const QString& name) override {
    if (name == pressAction()) {
      if (Arrow()->isEnabled()) Arrow()->click();
      return;
    }
    QAccessibleWidget::doAction(name);
  }

 private:
  SpinArrow* Arrow() const { return static_cast<SpinArrow*>(widget()); }
};

// Asked with each class name of an object's class chain, most derived first, before Qt's own
// factory would answer for QLabel, QCheckBox, QToolButton or QWidget.
QAccessibleInterface* DescribedFactory(const QString& class_name, QObject* object) {
  if (class_name == QLatin1String(TextLabel::staticMetaObject.className())) {
    return new DescribedLabel(static_cast<TextLabel*>(object));
  }
  if (class_name == QLatin1String(CheckBox::staticMetaObject.className())) {
    return new DescribedCheckBox(static_cast<CheckBox*>(object));
  }
  if (class_name == QLatin1String(SpinArrow::staticMetaObject.className())) {
    return new NamedSpinArrow(static_cast<SpinArrow*>(object));
  }
  // A plain top-level widget would read as a filler; the main window is a frame.
  if (class_name == QLatin1String(MainWindow::staticMetaObject.className())) {
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
  }
  return nullptr;
}

}  // namespace

void InstallDescribedAccessibility() { QAccessible::installFactory(DescribedFactory); }

}  // namespace qbus::ui
