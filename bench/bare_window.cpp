// SPDX-License-Identifier: GPL-3.0-or-later
// The yardstick for start-up: a bare Qt window with one button, nothing else.
#include <QApplication>
#include <QPushButton>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QPushButton button("bare");
  button.resize(200, 45);
  button.show();
  return application.exec();
}
