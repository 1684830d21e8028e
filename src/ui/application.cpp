#include "ui/application.h"

#include <QApplication>

namespace qbus::ui {

struct Application::Impl {
  Impl(int& argc, char** argv) : app(argc, argv) {}
  QApplication app;
};

Application::Application(int& argc, char** argv) : impl_(new Impl(argc, argv)) {}

Application::~Application() { delete impl_; }

}  // namespace qbus::ui
