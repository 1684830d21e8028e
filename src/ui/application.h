// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace qbus::ui {

// The toolkit's application object for the program's lifetime. Create one in main, before the
// window layer, and keep it until the layer is gone.
//
// The toolkit sees a fixed argument vector (the program's name alone), so no option of the
// caller (a plugin path, a style sheet, a platform) reaches a process that may run as root.
// Running as root, it also drops the toolkit's environment variables that name plugin folders
// or files to load. When no window can be had (no display), it ends the process with exit code
// 0 after one line on standard error.
class Application {
 public:
  Application();
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

 private:
  struct Impl;
  Impl* impl_;
};

}  // namespace qbus::ui
