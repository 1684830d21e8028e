// SPDX-License-Identifier: GPL-3.0-or-later
// Long work shows its progress and stops at Cancel; short work shows nothing.
#include "ui/progress_run.h"

#include <gtest/gtest.h>
#include <thread>

#include <QApplication>
#include <QProgressDialog>

namespace qbus::ui {
namespace {

TEST(RunWithProgress, CancelStopsTheWorkAndSaysSo) {
  int last = -1;
  bool seen = false;
  const bool done = RunWithProgress(nullptr, "Save all functions", "Reading...", 100, [&](int i) {
    last = i;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // a slow step, as work is
    if (auto* dialog = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget())) {
      seen = true;
      EXPECT_EQ(dialog->windowTitle().toStdString(), "Save all functions");
      dialog->cancel();
    }
    return true;
  });
  EXPECT_FALSE(done);
  EXPECT_TRUE(seen) << "no progress dialog for 2 s of work";
  EXPECT_LT(last, 99) << "steps ran after Cancel";
}

TEST(RunWithProgress, AFailedStepEndsTheWork) {
  int steps = 0;
  EXPECT_FALSE(RunWithProgress(nullptr, "t", "l", 10, [&](int i) {
    ++steps;
    return i < 3;
  }));
  EXPECT_EQ(steps, 4);
  EXPECT_TRUE(RunWithProgress(nullptr, "t", "l", 0, [](int) { return false; }));
  EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
}

}  // namespace
}  // namespace qbus::ui
