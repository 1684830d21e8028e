// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/window_layer.h"

#include <algorithm>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCoreApplication>
#include <QScreen>

#include "ui/choice_dialogs.h"
#include "ui/described_accessible.h"
#include "ui/focus_description.h"
#include "ui/layer_impl.h"
#include "ui/window_metrics.h"

namespace qbus::ui {

WindowLayer::WindowLayer(LayerOptions options) : impl_(std::make_unique<Impl>()) {
  impl_->options = std::move(options);
  InstallDescribedAccessibility();
}

WindowLayer::~WindowLayer() {
  impl_->controls.Clear();
  impl_->window.reset();
  impl_->fonts.clear();
}

void WindowLayer::SetWindowTitle(int window, const std::string& title) {
  if (window != 0 || !impl_->window) return;
  impl_->window->setWindowTitle(QString::fromStdString(title));
}

int WindowLayer::OpenMainWindow(int window, int x, int y, int width, int height,
                                const std::string& title, uint32_t flags) {
  if (window != 0 || impl_->window || width <= 0 || height <= 0) return 0;
  impl_->window = std::make_unique<MainWindow>(
      width, height, (flags & kCentred) != 0, [this] { RaiseEvent(kCloseEvent, 0, 0, 0); },
      [this](bool forward) { return MoveFocus(forward); });
  impl_->window->setWindowTitle(QString::fromStdString(title));
  OfferFocusDescription(impl_->window.get());
  if ((flags & kCentred) == 0) impl_->window->move(x, y);
  // The window itself holds the focus, so activating it focuses no control: Qt would otherwise
  // hand the focus to the first control that takes it, and the first Tab would skip that one.
  impl_->window->setFocus(Qt::OtherFocusReason);
  impl_->window->show();
  impl_->window->raise();
  impl_->window->activateWindow();
  return 1;
}

void WindowLayer::FocusControl(ControlId id) {
  if (Control* control = impl_->controls.Find(id)) control->widget->setFocus();
}

bool WindowLayer::MoveFocus(bool forward) {
  const std::vector<QWidget*> order = impl_->controls.TabOrder();
  if (order.empty()) return false;
  const auto current = std::find(order.begin(), order.end(), impl_->window->focusWidget());
  QWidget* next;
  if (current == order.end()) {
    next = forward ? order.front() : order.back();
  } else if (forward) {
    next = current + 1 == order.end() ? order.front() : *(current + 1);
  } else {
    next = current == order.begin() ? order.back() : *(current - 1);
  }
  next->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
  return true;
}

uintptr_t WindowLayer::WindowHandle(int window) const {
  if (window != 0 || !impl_->window) return 0;
  return reinterpret_cast<uintptr_t>(impl_->window.get());
}

int WindowLayer::DisplayResolution() const {
  if (impl_->options.dots_per_inch > 0) return impl_->options.dots_per_inch;
  const QScreen* display =
      impl_->window ? impl_->window->screen() : QGuiApplication::primaryScreen();
  return display == nullptr ? 96 : qRound(display->logicalDotsPerInchY());
}

FontHandle WindowLayer::MakeFont(int number, const std::string& face, int size) {
  QFont font(QString::fromStdString(face));
  font.setPixelSize(std::max(1, FontPixelHeight(size, DisplayResolution())));
  font.setWeight(QFont::Normal);
  font.setItalic(false);
  font.setUnderline(false);
  font.setStrikeOut(false);
  const FontHandle handle = impl_->next_font_handle++;
  impl_->fonts[number] = {handle, font};  // replaces, and so deletes, an older font
  return handle;
}

FontHandle WindowLayer::FontHandleOf(int number) const {
  auto it = impl_->fonts.find(number);
  return it == impl_->fonts.end() ? 0 : it->second.handle;
}

int WindowLayer::FontPixelSize(FontHandle handle) const {
  const QFont* font = impl_->FindFont(handle);
  return font == nullptr ? 0 : font->pixelSize();
}

namespace {

// Watches its window for the first paint and then, once the window's thread has nothing left to
// do and waits for events, runs its action.
class FirstPaintWatch : public QObject {
 public:
  FirstPaintWatch(QWidget* window, std::function<void()> action)
      : QObject(window), action_(std::move(action)) {
    window->installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      watched->removeEventFilter(this);
      // The paint under way, its flush to the screen and the events queued behind it come
      // first.
      connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
              [this] {
                disconnect(QAbstractEventDispatcher::instance(), nullptr, this, nullptr);
                action_();
                deleteLater();
              });
    }
    return false;
  }

 private:
  std::function<void()> action_;
};

}  // namespace

void WindowLayer::AfterFirstPaint(std::function<void()> action) {
  if (impl_->window) new FirstPaintWatch(impl_->window.get(), std::move(action));
}

int WindowLayer::WaitEvent() {
  while (queue_.Empty()) {
    if (impl_->options.about_to_block) {
      impl_->options.about_to_block();
      if (!queue_.Empty()) break;
    }
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  current_ = queue_.Take();
  return current_.code;
}

void WindowLayer::RaiseEvent(int code, int control, int window, int type) {
  queue_.Raise({code, control, window, type});
}

void WindowLayer::ShowMessage(const std::string& title, const std::string& text) {
  QWidget* owner = nullptr;
  if (impl_->window && QApplication::activeWindow() == impl_->window.get()) {
    owner = impl_->window.get();
  }
  ShowMessageOver(owner, title, text);
}

}  // namespace qbus::ui
