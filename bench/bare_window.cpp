// SPDX-License-Identifier: GPL-3.0-or-later
// The yardsticks for start-up and for a dialog: a bare Qt window that is one button and nothing
// else, or, given a client size, a window of that size holding the same button (what the size
// alone costs: the window system's and the backing store's share). With --dialog, Ctrl+G opens
// a bare modal dialog of one button, titled "Bare dialog", that Escape closes.
//   quoril-bus-bare-window [WIDTH HEIGHT] [--dialog]
#include <cstdlib>
#include <cstring>

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QShortcut>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const bool dialog = argc > 1 && std::strcmp(argv[argc - 1], "--dialog") == 0;
  const int size_arguments = argc - 1 - (dialog ? 1 : 0);
  QWidget window;
  window.setWindowTitle("Bare window");
  QPushButton button("bare");
  QWidget* shown = &button;
  if (size_arguments == 2) {
    window.setFixedSize(std::atoi(argv[1]), std::atoi(argv[2]));
    button.setParent(&window);
    button.setGeometry(10, 10, 200, 45);
    shown = &window;
  } else {
    button.setWindowTitle("Bare window");
    button.resize(200, 45);
  }
  if (dialog) {
    auto* open = new QShortcut(QKeySequence("Ctrl+G"), shown);
    QObject::connect(open, &QShortcut::activated, shown, [shown] {
      QDialog bare(shown);
      bare.setWindowTitle("Bare dialog");
      QPushButton inside("bare", &bare);
      inside.setGeometry(10, 10, 200, 45);
      bare.exec();
    });
  }
  shown->show();
  return application.exec();
}
