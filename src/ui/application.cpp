// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/application.h"

#include <cstdio>
#include <memory>
#include <unistd.h>
#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <QApplication>

namespace qbus::ui {
namespace {

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

bool IsSyntheticInput(uint8_t response_type) {
  // The X server sets the top bit on every event another client sent with SendEvent.
  if ((response_type & 0x80) == 0) return false;
  switch (response_type & 0x7F) {
    case XCB_KEY_PRESS:
    case XCB_KEY_RELEASE:
    case XCB_BUTTON_PRESS:
    case XCB_BUTTON_RELEASE:
    case XCB_MOTION_NOTIFY:
    case XCB_ENTER_NOTIFY:
    case XCB_LEAVE_NOTIFY:
      return true;
    default:
      return false;
  }
}

namespace {

class SyntheticInputFilter : public QAbstractNativeEventFilter {
 public:
  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
    return type == "xcb_generic_event_t" &&
           IsSyntheticInput(static_cast<const xcb_generic_event_t*>(message)->response_type);
  }
};

}  // namespace

struct Application::Impl {
  // QApplication keeps references to these for its whole life.
  int argument_count = 1;
  char name[11] = "quoril-bus";
  char* arguments[2] = {name, nullptr};
  QApplication app{argument_count, arguments};
  SyntheticInputFilter filter;
};

Application::Application() {
  qInstallMessageHandler(EndQuietlyOnFatal);
  impl_ = std::make_unique<Impl>();
  qInstallMessageHandler(nullptr);
  impl_->app.installNativeEventFilter(&impl_->filter);
}

Application::~Application() = default;

}  // namespace qbus::ui
