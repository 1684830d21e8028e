#pragma once

namespace qbus::ui {

// The toolkit's application object for the program's lifetime. Create one in main, before the
// window layer, and keep it until the layer is gone.
class Application {
 public:
  Application(int& argc, char** argv);
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

 private:
  struct Impl;
  Impl* impl_;
};

}  // namespace qbus::ui
