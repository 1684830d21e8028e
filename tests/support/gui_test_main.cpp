// SPDX-License-Identifier: GPL-3.0-or-later
// Runs GoogleTest inside one QApplication on Qt's offscreen platform (unless another platform
// is asked for), so real widgets run without a display.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
