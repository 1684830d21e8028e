// SPDX-License-Identifier: GPL-3.0-or-later
// The operations on existing controls, by number.
#include <algorithm>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QKeySequence>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>

#include "ui/bus_tree_view.h"
#include "ui/choice_dialogs.h"
#include "ui/fitted_widgets.h"
#include "ui/function_view.h"
#include "ui/journal_dialog.h"
#include "ui/layer_impl.h"
#include "ui/list_widget.h"
#include "ui/progress_run.h"
#include "ui/window_layer.h"

namespace qbus::ui {
namespace {

// Checks or clears an option even when its exclusive group would refuse to clear it.
void SetOptionChecked(QAbstractButton* option, QButtonGroup* group, bool checked) {
  const bool exclusive = group != nullptr && group->exclusive();
  if (exclusive) group->setExclusive(false);
  option->setChecked(checked);
  if (exclusive) group->setExclusive(true);
}

}  // namespace

void WindowLayer::SetControlState(ControlId id, int value) {
  Control* control = impl_->controls.Find(id);
  if (control == nullptr) return;
  SuppressEvents suppress(queue_);
  switch (control->kind) {
    case ControlKind::kSpin:
      control->position = std::clamp(value, control->minimum, control->maximum);
      break;
    case ControlKind::kOption: {
      auto* option = static_cast<QAbstractButton*>(control->widget.data());
      if (value != 0) {
        for (const Control* member : impl_->controls.GroupMembers(control->group)) {
          SetOptionChecked(static_cast<QAbstractButton*>(member->widget.data()), control->group,
                           false);
        }
      }
      SetOptionChecked(option, control->group, value != 0);
      break;
    }
    case ControlKind::kCheckBox:
      static_cast<QAbstractButton*>(control->widget.data())->setChecked(value != 0);
      break;
    default:
      break;
  }
}

int WindowLayer::GetControlState(ControlId id) const {
  const Control* control = impl_->controls.Find(id);
  if (control == nullptr) return 0;
  switch (control->kind) {
    case ControlKind::kSpin:
      return control->position;
    case ControlKind::kOption:
    case ControlKind::kCheckBox:
      return static_cast<QAbstractButton*>(control->widget.data())->isChecked() ? 1 : 0;
    default:
      return 0;
  }
}

void WindowLayer::SetControlText(ControlId id, const std::string& text) {
  Control* control = impl_->controls.Find(id);
  if (control == nullptr) return;
  SuppressEvents suppress(queue_);
  const QString qtext = QString::fromStdString(text);
  switch (control->kind) {
    case ControlKind::kText:
      static_cast<TextLabel*>(control->widget.data())->SetText(qtext);
      impl_->ForgetDescriptions();
      break;
    case ControlKind::kSpin:
      static_cast<QLineEdit*>(control->widget.data())->setText(qtext);
      // Paint the new text at once: the program may be busy before it next waits.
      control->widget->repaint();
      break;
    case ControlKind::kButton:
    case ControlKind::kOption:
    case ControlKind::kCheckBox:
      static_cast<QAbstractButton*>(control->widget.data())->setText(qtext);
      break;
    case ControlKind::kList:
      break;
  }
}

int WindowLayer::AddListItem(ControlId id, int position, const std::string& text) {
  Control* control = impl_->controls.Find(id);
  if (control == nullptr || control->kind != ControlKind::kList) return 0;
  SuppressEvents suppress(queue_);
  auto* list = static_cast<ListWidget*>(control->widget.data());
  const int row = position < 0 || position > list->count() ? list->count() : position;
  list->InsertLine(row, QString::fromStdString(text));
  return 0;
}

void WindowLayer::SetListItemValue(ControlId id, int row, int value) {
  Control* control = impl_->controls.Find(id);
  if (control == nullptr || control->kind != ControlKind::kList) return;
  static_cast<ListWidget*>(control->widget.data())->SetValue(row, value);
}

int WindowLayer::CurrentListValue(ControlId id) const {
  const Control* control = impl_->controls.Find(id);
  if (control == nullptr || control->kind != ControlKind::kList) return -1;
  return static_cast<const ListWidget*>(control->widget.data())->CurrentValue();
}

void WindowLayer::OfferAction(ControlId id, int type, const std::string& text,
                              const std::string& shortcut) {
  Control* control = impl_->controls.Find(id);
  if (control == nullptr) return;
  QWidget* widget = control->widget.data();
  for (QAction* action : widget->actions()) {
    if (action->property("qbus_event_type").toInt() == type) delete action;
  }
  // A refusal of the same action gives way (its key would otherwise be ambiguous).
  for (QAction* action : impl_->window->actions()) {
    const QVariant refused = action->property("qbus_refused_type");
    if (refused.isValid() && refused.toInt() == type) delete action;
  }
  if (text.empty()) return;
  auto* action = new QAction(QString::fromStdString(text), widget);
  action->setProperty("qbus_event_type", type);
  if (!shortcut.empty()) {
    action->setShortcut(QKeySequence(QString::fromStdString(shortcut)));
    action->setShortcutContext(Qt::WindowShortcut);
  }
  QObject::connect(action, &QAction::triggered, action,
                   [this, id, type] { RaiseEvent(kControlEvent, id, 0, type); });
  widget->setContextMenuPolicy(Qt::ActionsContextMenu);
  widget->addAction(action);
}

void WindowLayer::RefuseAction(ControlId id, int type, const std::string& text,
                               const std::string& shortcut, const std::string& why) {
  OfferAction(id, type, text);
  Control* control = impl_->controls.Find(id);
  if (control == nullptr || text.empty()) return;
  for (QAction* action : control->widget->actions()) {
    if (action->property("qbus_event_type").toInt() == type) action->setEnabled(false);
  }
  if (shortcut.empty()) return;
  auto* key = new QAction(QString::fromStdString(text), impl_->window.get());
  key->setProperty("qbus_refused_type", type);
  key->setShortcut(QKeySequence(QString::fromStdString(shortcut)));
  key->setShortcutContext(Qt::WindowShortcut);
  std::string title = text;
  while (!title.empty() && title.back() == '.') title.pop_back();
  QObject::connect(key, &QAction::triggered, key, [this, title, why] { ShowMessage(title, why); });
  impl_->window->addAction(key);
}

bool WindowLayer::TriggerAction(ControlId id, int type) {
  Control* control = impl_->controls.Find(id);
  if (control == nullptr) return false;
  for (QAction* action : control->widget->actions()) {
    if (action->property("qbus_event_type").toInt() != type) continue;
    if (action->isEnabled()) {
      action->trigger();
      return true;
    }
    for (QAction* key : impl_->window->actions()) {
      const QVariant refused = key->property("qbus_refused_type");
      if (refused.isValid() && refused.toInt() == type) key->trigger();
    }
    return false;
  }
  return false;
}

CommandOffer WindowLayer::OfferCommand(ControlId id, const std::string& text,
                                       std::function<void()> run) {
  const Control* control = impl_->controls.Find(id);
  QWidget* widget = id == kWindowCommand ? impl_->window.get()
                    : control != nullptr ? control->widget.data()
                                         : nullptr;
  if (widget == nullptr) return {};
  const QString caption = QString::fromStdString(text);
  for (QAction* action : widget->actions()) {
    if (action->text() == caption) delete action;
  }
  auto* action = new QAction(caption, widget);
  if (id == kWindowCommand) {
    action->setShortcut(QKeySequence(caption));
    action->setShortcutContext(Qt::WindowShortcut);
  } else {
    widget->setContextMenuPolicy(Qt::ActionsContextMenu);
  }
  QObject::connect(action, &QAction::triggered, action, std::move(run));
  widget->addAction(action);
  // The action may already be gone with its widget.
  return CommandOffer([offered = QPointer<QAction>(action)] { delete offered.data(); });
}

void WindowLayer::ShowFunctionView(const FunctionViewContent& content) {
  RunFunctionView(impl_->window.get(), content);
}

std::optional<int> WindowLayer::ShowJournal(const std::vector<std::string>& lines) {
  return RunJournalDialog(impl_->window.get(), lines);
}

void WindowLayer::CloseFunctionViews() { ui::CloseFunctionViews(impl_->window.get()); }

void WindowLayer::ShowBusTree(const BusTreeContent& content) {
  RunBusTreeView(impl_->window.get(), content);
}

void WindowLayer::SetControlName(ControlId id, const std::string& name) {
  if (Control* control = impl_->controls.Find(id)) {
    control->widget->setAccessibleName(QString::fromStdString(name));
  }
}

bool WindowLayer::RunWithProgress(const std::string& title, const std::string& label, int count,
                                  const std::function<bool(int index)>& step) {
  return ui::RunWithProgress(impl_->window.get(), title, label, count, step);
}

std::optional<std::string> WindowLayer::AskSavePath(const std::string& title,
                                                    const std::string& file_name) {
  return ui::AskSavePath(impl_->window.get(), title, file_name);
}

void WindowLayer::SelectListLine(ControlId id, int row) {
  Control* control = impl_->controls.Find(id);
  if (control == nullptr || control->kind != ControlKind::kList) return;
  static_cast<ListWidget*>(control->widget.data())->SelectLine(row);
}

std::optional<int> WindowLayer::ChooseFromList(const std::string& title, const std::string& prompt,
                                               const ChoiceFilter& filter) {
  return RunChooserDialog(impl_->window.get(), title, prompt, filter);
}

std::optional<std::string> WindowLayer::AskForText(
    const std::string& title, const std::string& prompt, const std::string& initial,
    const std::function<std::string(const std::string&)>& refusal) {
  return RunTextDialog(impl_->window.get(), title, prompt, initial, refusal);
}

void WindowLayer::SetDescriptionSource(std::function<std::string(ControlId)> source) {
  impl_->describe = std::move(source);
}

void WindowLayer::SetListDescriptionSource(ControlId id,
                                           std::function<std::string(int row)> source) {
  Control* control = impl_->controls.Find(id);
  if (control == nullptr || control->kind != ControlKind::kList) return;
  static_cast<ListWidget*>(control->widget.data())->SetDescriptionSource(std::move(source));
}

void WindowLayer::SetControlFont(ControlId id, FontHandle font) {
  Control* control = impl_->controls.Find(id);
  if (control == nullptr) return;
  const QFont* chosen = impl_->FindFont(font);
  control->widget->setFont(chosen != nullptr ? *chosen : QApplication::font());
  control->widget->update();
}

void WindowLayer::DisableControl(ControlId id, int flag) {
  Control* control = impl_->controls.Find(id);
  if (control == nullptr) return;
  control->widget->setEnabled(flag == 0);
  if (control->arrows != nullptr) control->arrows->setEnabled(flag == 0);
}

void WindowLayer::FreeControl(ControlId id) {
  if (impl_->controls.Find(id) == nullptr) return;
  impl_->controls.Erase(id);
  queue_.DiscardControlEvents(id);
}

bool WindowLayer::ControlExists(ControlId id) const { return impl_->controls.Find(id) != nullptr; }

void WindowLayer::StepSpin(ControlId id, int step) {
  Control* control = impl_->controls.Find(id);
  if (control == nullptr || step == 0 || !control->widget->isEnabled()) return;
  const int64_t wanted = int64_t{control->position} + step;
  control->position =
      static_cast<int>(std::clamp<int64_t>(wanted, control->minimum, control->maximum));
  RaiseEvent(kControlEvent, id, 0, step > 0 ? 4 : 5);
}

}  // namespace qbus::ui
