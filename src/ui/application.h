// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>

namespace qbus::ui {

// The toolkit's application object for the program's lifetime. Create one in main, before the
// window layer, and keep it until the layer is gone.
//
// The toolkit sees a fixed argument vector (the program's name alone), so no option of the
// caller (a plugin path, a style sheet, a platform) takes effect. Keyboard and pointer input
// that another client of the X display sent (SendEvent) is dropped: only the real devices (and
// the server's own test extension) act on the window; other sent events, such as the window
// manager's close request, still arrive. When no window can be had (no display), it ends the
// process with exit code 0 after one line on standard error.
class Application {
 public:
  Application();
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// True for an X event of `response_type` that is keyboard, button, motion or crossing input
// another client sent, which the application drops.
bool IsSyntheticInput(uint8_t response_type);

}  // namespace qbus::ui
