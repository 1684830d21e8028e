// SPDX-License-Identifier: GPL-3.0-or-later
// The scripted user's watchdog: a step that leaves a dialog open fails the test at once, and
// the run ends instead of waiting for the dialog for ever.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "tests/app/program_fixture.h"

namespace qbus::test {
namespace {

using namespace controls;

TEST_F(ProgramTest, ADialogLeftOpenIsClosedAndFailsTheTest) {
  user_.Then("Ctrl+G, then forget the dialog", [this] {
    // From here, not from the start: the window and the scan take their own time first.
    user_.SetDeadline(300 * QBUS_TIME_SCALE);
    PressShortcut(Qt::Key_G);
  });
  ::testing::TestPartResultArray failures;
  {
    const ::testing::ScopedFakeTestPartResultReporter reporter(
        ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &failures);
    Run();
  }
  std::vector<std::string> messages;
  for (int i = 0; i < failures.size(); ++i)
    messages.push_back(failures.GetTestPartResult(i).message());
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.front(), "Failed\na dialog was left open: Go to register");
}

}  // namespace
}  // namespace qbus::test
