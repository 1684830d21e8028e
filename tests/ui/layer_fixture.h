// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>
#include <memory>

#include <QApplication>

#include "tests/support/scripted_user.h"
#include "ui/window_layer.h"

namespace qbus::test {

// A window layer with its main window open (1000 x 430, centred), played by a scripted user.
class LayerTest : public ::testing::Test {
 protected:
  void SetUp() override { Open(96); }
  void TearDown() override {
    layer_.reset();
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty()) << "a window outlived its layer";
  }

  void Open(int dots_per_inch) {
    layer_ = std::make_unique<ui::WindowLayer>(user_.Options(dots_per_inch));
    user_.Attach(layer_.get());
    ASSERT_NE(layer_->OpenMainWindow(0, 0, 0, 1000, 430, "Test", ui::kMainWindowFlags), 0);
  }

  // Takes waiting events until the queue is empty, without blocking.
  std::vector<ui::EventRecord> PendingEvents() {
    std::vector<ui::EventRecord> events;
    while (!layer_->queue().Empty()) {
      layer_->WaitEvent();
      events.push_back(layer_->CurrentEvent());
    }
    return events;
  }

  ui::WindowLayer& layer() { return *layer_; }
  QWidget* window() { return ui::LayerTestAccess::MainWindow(*layer_); }

  ScriptedUser user_;
  std::unique_ptr<ui::WindowLayer> layer_;
};

inline ui::EventRecord ControlEvent(int id, int type = 0) {
  return {ui::kControlEvent, id, 0, type};
}

}  // namespace qbus::test
