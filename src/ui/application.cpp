#include "ui/application.h"

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
  impl_ = new Impl;
}

Application::~Application() { delete impl_; }

}  // namespace qbus::ui
