// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/application.h"

#include <cstdio>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>
#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <QApplication>

namespace qbus::ui {
namespace {

// The toolkit's messages while the application object is made: held back, and shown only once
// a window can be had. The message handler is a plain function, so they wait here.
std::vector<std::string>& HeldMessages() {
  static std::vector<std::string> held;
  return held;
}

// While the application object is made, a fatal message means there is no window to be had (no
// display, or one that refuses the connection): the program then ends at once with 0 after one
// line of its own (the platform plugins' complaints on the way are dropped), instead of
// aborting.
void EndQuietlyOnFatal(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type != QtFatalMsg) {
    HeldMessages().push_back(qFormatLogMessage(type, context, message).toStdString());
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
  for (const std::string& message : HeldMessages()) std::fprintf(stderr, "%s\n", message.c_str());
  HeldMessages().clear();
  impl_->app.installNativeEventFilter(&impl_->filter);
}

Application::~Application() = default;

}  // namespace qbus::ui
