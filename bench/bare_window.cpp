// SPDX-License-Identifier: GPL-3.0-or-later
// The yardsticks for start-up: a bare Qt window that is one button and nothing else, or, given a
// client size, a window of that size holding the same button (what the size alone costs: the
// window system's and the backing store's share).
//   quoril-bus-bare-window [WIDTH HEIGHT]
#include <cstdlib>

#include <QApplication>
#include <QPushButton>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QWidget window;
  QPushButton button("bare");
  if (argc == 3) {
    window.setFixedSize(std::atoi(argv[1]), std::atoi(argv[2]));
    button.setParent(&window);
    button.setGeometry(10, 10, 200, 45);
    window.show();
  } else {
    button.resize(200, 45);
    button.show();
  }
  return application.exec();
}
