// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/application.h"

#include <cstdio>
#include <stdlib.h>
#include <unistd.h>

#include <QApplication>

namespace qbus::ui {
namespace {

// Variables through which the toolkit would load code or read files named by whoever set them.
constexpr const char* kLoaderVariables[] = {
    "QT_PLUGIN_PATH",       "QT_QPA_PLATFORM_PLUGIN_PATH",
    "QT_QPA_PLATFORMTHEME", "QT_QPA_GENERIC_PLUGINS",
    "QT_QPA_FONTDIR",       "QT_LOGGING_CONF",
};

void DropLoaderVariablesAsRoot() {
  if (geteuid() != 0) return;
  for (const char* name : kLoaderVariables) unsetenv(name);
}

// While the application object is made, a fatal message means there is no window to be had (no
// display, or one that refuses the connection): the program then ends at once with 0, showing
// nothing, instead of aborting.
void EndQuietlyOnFatal(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type != QtFatalMsg) {
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
    return;
  }
  std::fputs("quoril-bus: no window can be opened (no usable display)\n", stderr);
  _exit(0);
}

}  // namespace

struct Application::Impl {
  // QApplication keeps references to these for its whole life.
  int argument_count = 1;
  char name[11] = "quoril-bus";
  char* arguments[2] = {name, nullptr};
  QApplication app{argument_count, arguments};
};

Application::Application() {
  DropLoaderVariablesAsRoot();
  qInstallMessageHandler(EndQuietlyOnFatal);
  impl_ = new Impl;
  qInstallMessageHandler(nullptr);
}

Application::~Application() { delete impl_; }

}  // namespace qbus::ui
