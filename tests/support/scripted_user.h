// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <string>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QPoint>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include "ui/layer_test_access.h"
#include "ui/window_layer.h"

namespace qbus::test {

// A dialog open beside the main window rather than over it (the function view), if any.
inline QDialog* OpenViewBeside() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    auto* dialog = qobject_cast<QDialog*>(widget);
    if (dialog != nullptr && dialog->isVisible() && !dialog->isModal()) return dialog;
  }
  return nullptr;
}

// Plays the user while the program waits: WindowLayer calls Next() each time its queue is empty,
// and the next scripted step runs there. When the script has run out while a phase still
// waits, or the deadline has passed, the test fails and a close event ends the wait. A
// watchdog closes any dialog left open once a step has failed or the deadline has passed (a
// failed check inside a dialog would otherwise leave it waiting for ever), so the test fails
// at once instead of hanging.
class ScriptedUser {
 public:
  // Five seconds, stretched for a slow (sanitizer) build.
  ScriptedUser() : deadline_(5000 * QBUS_TIME_SCALE) {
    watchdog_.callOnTimeout([this] { CloseStrayDialogs(); });
  }

  // A shorter (or longer) deadline for the whole run, from now.
  void SetDeadline(int milliseconds) { deadline_.setRemainingTime(milliseconds); }

  // A step: a description (shown when something fails) and the action.
  ScriptedUser& Then(std::string what, std::function<void()> action) {
    steps_.push_back({std::move(what), std::move(action)});
    return *this;
  }

  ui::LayerOptions Options(int dots_per_inch = 96) {
    return {dots_per_inch, [this] { Next(); }};
  }

  void Attach(ui::WindowLayer* layer) {
    layer_ = layer;
    watchdog_.start(50);
  }
  bool Finished() const { return steps_.empty(); }
  // Whether the script goes on while a view stands open beside the main window; by default it
  // waits for the view to close, as for a dialog over the window.
  void StepBesideViews(bool on) { beside_views_ = on; }

  void Next() {
    if (!beside_views_ && OpenViewBeside() != nullptr && !deadline_.hasExpired() &&
        !::testing::Test::HasFailure()) {
      return;
    }
    if (steps_.empty() || deadline_.hasExpired()) {
      ADD_FAILURE() << (steps_.empty() ? "the script ran out while the program waits"
                                       : "the scripted run took too long");
      steps_.clear();
      layer_->RaiseEvent(ui::kCloseEvent, 0, 0, 0);
      return;
    }
    auto step = std::move(steps_.front());
    steps_.pop_front();
    SCOPED_TRACE(step.first);
    step.second();
  }

 private:
  void CloseStrayDialogs() {
    const bool failed = ::testing::Test::HasFailure();
    if (!failed && !deadline_.hasExpired()) return;
    if (QDialog* view = OpenViewBeside()) view->reject();
    while (QWidget* modal = QApplication::activeModalWidget()) {
      if (!failed)
        ADD_FAILURE() << "a dialog was left open: " << modal->windowTitle().toStdString();
      if (auto* dialog = qobject_cast<QDialog*>(modal)) {
        dialog->reject();
      } else {
        modal->close();
      }
      if (QApplication::activeModalWidget() == modal) break;  // it would not close
    }
  }

  std::deque<std::pair<std::string, std::function<void()>>> steps_;
  QDeadlineTimer deadline_;
  QTimer watchdog_;
  ui::WindowLayer* layer_ = nullptr;
  bool beside_views_ = false;
};

// The widget behind control `id`.
inline QWidget* Widget(ui::WindowLayer& layer, ui::ControlId id) {
  return ui::LayerTestAccess::Control(layer, id);
}

// Clicks the middle of control `id` with the left button.
inline void Click(ui::WindowLayer& layer, ui::ControlId id) {
  QWidget* widget = Widget(layer, id);
  ASSERT_NE(widget, nullptr) << "control " << id;
  QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
}

// Clicks a spin's up (or down) arrow.
inline void ClickArrow(ui::WindowLayer& layer, ui::ControlId id, bool up) {
  QWidget* field = Widget(layer, id);
  ASSERT_NE(field, nullptr) << "control " << id;
  QWidget* window = field->window();
  const QRect box = field->geometry();
  // The arrows stand right of the field, overlapping its last pixel.
  const QPoint at(box.right() + 4, up ? box.top() + 3 : box.bottom() - 3);
  QWidget* arrow = window->childAt(at);
  ASSERT_NE(arrow, nullptr);
  QTest::mouseClick(arrow, Qt::LeftButton, {}, arrow->mapFrom(window, at));
}

}  // namespace qbus::test
