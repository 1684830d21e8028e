// SPDX-License-Identifier: GPL-3.0-or-later
// The create operations of the window layer: one widget (two for a spin) per control kind.
#include <QApplication>
#include <QButtonGroup>
#include <QEvent>
#include <QFocusEvent>
#include <QPushButton>

#include "ui/described_accessible.h"
#include "ui/fitted_widgets.h"
#include "ui/layer_impl.h"
#include "ui/list_widget.h"
#include "ui/spin_parts.h"
#include "ui/window_layer.h"

namespace qbus::ui {
namespace {

QString ToQt(const std::string& text) { return QString::fromStdString(text); }

// Places a freshly made widget, gives it the default font and shows it.
void PlaceWidget(QWidget* widget, int x, int y, int width, int height) {
  widget->setGeometry(x, y, width, height);
  widget->setFont(QApplication::font());
  widget->show();
}

}  // namespace

// A description is needed when the pointer rests on a control, when the keyboard takes the
// focus to it, or when an assistive technology asks for it; a click that focuses a control
// needs none.
bool DescriptionNeeded(const QEvent* event) {
  if (event->type() == QEvent::ToolTip || event->type() == kDescribeEvent) return true;
  if (event->type() != QEvent::FocusIn) return false;
  const Qt::FocusReason reason = static_cast<const QFocusEvent*>(event)->reason();
  return reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
         reason == Qt::ShortcutFocusReason;
}

void WindowLayer::Impl::ForgetDescriptions() {
  if (!window) return;
  const auto forget = [](QWidget* widget) {
    widget->setToolTip({});
    widget->setAccessibleDescription({});
  };
  for (TextLabel* label : window->findChildren<TextLabel*>()) forget(label);
  for (CheckBox* box : window->findChildren<CheckBox*>()) forget(box);
}

bool WindowLayer::Impl::DescriptionFilter::eventFilter(QObject* watched, QEvent* event) {
  if (!impl_->describe || !DescriptionNeeded(event)) return false;
  auto* widget = static_cast<QWidget*>(watched);
  if (!widget->toolTip().isEmpty()) return false;
  const ControlId id = impl_->controls.IdOf(widget);
  if (id < 0) return false;
  const QString description = QString::fromStdString(impl_->describe(id));
  widget->setToolTip(description);
  widget->setAccessibleDescription(description);
  return false;  // Qt goes on to show the tooltip
}

// Each Create operation builds its widgets first; only then does it free whatever held the
// number, so a refused creation leaves the previous control in place.
int WindowLayer::CreateTextControl(ControlId id, int x, int y, int width, int height,
                                   const std::string& text, int flags) {
  if (!impl_->window) return 0;
  auto* label = new TextLabel(ToQt(text), impl_->window.get());
  label->installEventFilter(&impl_->description_filter);
  label->setAlignment(Qt::AlignTop | (flags == kTextCentred ? Qt::AlignHCenter : Qt::AlignLeft));
  PlaceWidget(label, x, y, width, height);
  FreeControl(id);
  impl_->controls.Insert(id, {ControlKind::kText, label, nullptr, nullptr});
  return 1;
}

int WindowLayer::CreateListControl(ControlId id, int x, int y, int width, int height) {
  if (!impl_->window) return 0;
  auto* list = new ListWidget(impl_->window.get());
  QObject::connect(list, &QListWidget::currentRowChanged, list,
                   [this, id] { RaiseEvent(kControlEvent, id, 0, 1); });
  QObject::connect(list, &QListWidget::itemClicked, list,
                   [this, id] { RaiseEvent(kControlEvent, id, 0, 0); });
  // A double-click activates a line on every platform style; Enter too.
  for (auto activated : {&QListWidget::itemActivated, &QListWidget::itemDoubleClicked}) {
    QObject::connect(list, activated, list,
                     [this, id] { RaiseEvent(kControlEvent, id, 0, kListLineActivated); });
  }
  PlaceWidget(list, x, y, width, height);
  FreeControl(id);
  impl_->controls.Insert(id, {ControlKind::kList, list, nullptr, nullptr});
  return 1;
}

int WindowLayer::CreateSpinControl(ControlId id, int x, int y, int width, int height, int minimum,
                                   int maximum, int flags) {
  if (!impl_->window) return 0;
  const auto step = [this, id](int delta) { StepSpin(id, delta); };
  auto* field = new SpinField(impl_->window.get(), step);
  field->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  field->setReadOnly(flags == kSpinReadOnly);
  auto* arrows = new SpinArrows(impl_->window.get(), field, step);
  const int arrow_width = std::max(height / 2, 18);
  // The field reaches one pixel under the arrows, which stand on top of it.
  PlaceWidget(field, x, y, width - arrow_width + 1, height);
  PlaceWidget(arrows, x + width - arrow_width, y, arrow_width, height);
  arrows->raise();
  FreeControl(id);
  Control control{ControlKind::kSpin, field, arrows, nullptr};
  control.minimum = minimum;
  control.maximum = maximum;
  control.position = minimum;
  impl_->controls.Insert(id, control);
  return 1;
}

int WindowLayer::CreateButtonControl(ControlId id, int x, int y, int width, int height,
                                     const std::string& caption) {
  if (!impl_->window) return 0;
  auto* button = new QPushButton(ToQt(caption), impl_->window.get());
  button->setAutoDefault(false);
  QObject::connect(button, &QPushButton::clicked, button,
                   [this, id] { RaiseEvent(kControlEvent, id, 0, 0); });
  PlaceWidget(button, x, y, width, height);
  FreeControl(id);
  impl_->controls.Insert(id, {ControlKind::kButton, button, nullptr, nullptr});
  return 1;
}

int WindowLayer::CreateOptionControl(ControlId id, int x, int y, int width, int height,
                                     const std::string& caption) {
  if (!impl_->window) return 0;
  auto* option = new OptionButton(ToQt(caption), impl_->window.get());
  // The group below decides which option is chosen (a group overrides the parent-wide
  // exclusivity); left auto-exclusive, the option tells screen readers it is a radio button.
  QObject::connect(option, &OptionButton::clicked, option,
                   [this, id] { RaiseEvent(kControlEvent, id, 0, 0); });
  PlaceWidget(option, x, y, width, height);
  FreeControl(id);
  QButtonGroup* group = impl_->controls.GroupForNewOption(impl_->window.get());
  group->addButton(option);
  impl_->controls.Insert(id, {ControlKind::kOption, option, nullptr, group});
  return 1;
}

int WindowLayer::CreateCheckBoxControl(ControlId id, int x, int y, int width, int height,
                                       const std::string& caption) {
  if (!impl_->window) return 0;
  auto* box = new CheckBox(ToQt(caption), impl_->window.get());
  box->installEventFilter(&impl_->description_filter);
  // Qt toggles the box before `clicked`, so the state is new when the event is taken.
  QObject::connect(box, &CheckBox::clicked, box,
                   [this, id] { RaiseEvent(kControlEvent, id, 0, 0); });
  QObject::connect(box, &CheckBox::toggled, box, [this] { impl_->ForgetDescriptions(); });
  PlaceWidget(box, x, y, width, height);
  FreeControl(id);
  impl_->controls.Insert(id, {ControlKind::kCheckBox, box, nullptr, nullptr});
  return 1;
}

}  // namespace qbus::ui
