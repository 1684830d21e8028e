// SPDX-License-Identifier: GPL-3.0-or-later
// quoril-bus-screenshot: saves what an X window (or the root window) shows as a PNG, for the
// demo's pictures, without a separate image toolkit.
//   quoril-bus-screenshot WINDOW|root OUT.png [X Y WIDTH HEIGHT]
#include <cstdio>
#include <cstdlib>
#include <string>

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

int main(int argc, char** argv) {
  if (argc != 3 && argc != 7) {
    std::fputs("usage: quoril-bus-screenshot WINDOW|root OUT.png [X Y WIDTH HEIGHT]\n", stderr);
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "xcb");
  int qt_argc = 1;
  char name[] = "quoril-bus-screenshot";
  char* qt_argv[] = {name, nullptr};
  QGuiApplication application(qt_argc, qt_argv);
  const std::string window = argv[1];
  const WId id = window == "root" ? 0 : static_cast<WId>(std::strtoul(argv[1], nullptr, 0));
  const auto number = [&](int i) { return argc == 7 ? std::atoi(argv[i]) : i < 5 ? 0 : -1; };
  const QPixmap picture = QGuiApplication::primaryScreen()->grabWindow(
      id, number(3), number(4), number(5), number(6));
  if (picture.isNull() || !picture.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
    std::fprintf(stderr, "quoril-bus-screenshot: cannot save %s\n", argv[2]);
    return 1;
  }
  return 0;
}
