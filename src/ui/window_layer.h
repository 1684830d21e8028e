// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "ui/event_queue.h"
#include "ui/ui_types.h"

// The window layer: one main window, fonts by number, a blocking wait that hands over one event
// at a time, a modal message box, and controls created, changed and freed by number. Nothing
// here names a toolkit type, so the program's phases never see a widget. Texts are UTF-8.
//
// All calls run on the thread that created the QApplication, which must exist for the layer's
// whole life. An operation given a control number that holds nothing does nothing and reads 0.
namespace qbus::ui {

// A command offered to the user (WindowLayer::OfferCommand), withdrawn when this goes or on
// Withdraw. Move-only; empty when default-made. It may outlive the layer.
class CommandOffer {
 public:
  CommandOffer() = default;
  explicit CommandOffer(std::function<void()> withdraw) : withdraw_(std::move(withdraw)) {}
  ~CommandOffer() { Withdraw(); }
  CommandOffer(CommandOffer&& other) noexcept : withdraw_(std::exchange(other.withdraw_, {})) {}
  CommandOffer& operator=(CommandOffer&& other) noexcept {
    if (this != &other) {
      Withdraw();
      withdraw_ = std::exchange(other.withdraw_, {});
    }
    return *this;
  }
  CommandOffer(const CommandOffer&) = delete;
  CommandOffer& operator=(const CommandOffer&) = delete;

  void Withdraw() {
    if (withdraw_) std::exchange(withdraw_, {})();
  }

 private:
  std::function<void()> withdraw_;
};

struct LayerOptions {
  // The display resolution in dots per inch; 0 asks the main window's screen.
  int dots_per_inch = 0;
  // Called by WaitEvent each time the queue is empty, just before it blocks. Tests use it to
  // play a scripted user; the program leaves it empty.
  std::function<void()> about_to_block;
};

class WindowLayer {
 public:
  explicit WindowLayer(LayerOptions options = {});
  // The layer's end: every remaining control, the window and the fonts are released.
  ~WindowLayer();
  WindowLayer(const WindowLayer&) = delete;
  WindowLayer& operator=(const WindowLayer&) = delete;

  // --- Main window -------------------------------------------------------------------------

  // Opens window 0 with a client area of exactly width x height pixels, not resizable, with a
  // title bar, close and minimise boxes but no maximise box, in the palette's button colour.
  // With kCentred in `flags`, x and y are replaced by centring the outer frame on the screen.
  // The window is shown and activated at once. The close box and the window manager's close
  // raise kCloseEvent and the window stays. Non-zero on success, 0 when refused (a second
  // window, a number other than 0, an empty size).
  int OpenMainWindow(int window, int x, int y, int width, int height, const std::string& title,
                     uint32_t flags);

  // A non-zero handle of the open window `window`, 0 otherwise.
  uintptr_t WindowHandle(int window) const;

  // Replaces the title of the open main window `window`; does nothing when none is open.
  void SetWindowTitle(int window, const std::string& title);

  // Runs `action` once, on the window's thread, after the main window's next paint (at start-up,
  // its first), once the events queued behind that paint are handled: for work nobody waits for,
  // kept out of the first paint's way. Nothing runs when no window is open or none is painted.
  void AfterFirstPaint(std::function<void()> action);

  // The vertical display resolution D in dots per inch of the main window's screen (or of the
  // primary screen before the window opens), or the one given in LayerOptions.
  int DisplayResolution() const;

  // --- Fonts ---------------------------------------------------------------------------------

  // Makes "face" at a pixel height of size x D / 72 (rounded half away from zero), normal
  // weight, under `number`, replacing (and deleting) a font already there. Returns its handle.
  FontHandle MakeFont(int number, const std::string& face, int size);

  // The handle of font `number`, 0 when it holds none.
  FontHandle FontHandleOf(int number) const;

  // The pixel size of the font behind `handle`, 0 for no font (for tests and checks).
  int FontPixelSize(FontHandle handle) const;

  // --- Events --------------------------------------------------------------------------------

  // Returns the code of the oldest waiting event and makes it the current event; when none is
  // waiting, lets Qt process input (blocking until something arrives) until one is.
  int WaitEvent();

  // The control number of the current event (0 for a window event or before any event).
  int EventControl() const { return current_.control; }
  const EventRecord& CurrentEvent() const { return current_; }

  // Queues an event (see EventQueue::Raise). Controls and the window call it.
  void RaiseEvent(int code, int control, int window, int type);

  // Removes the waiting control events of `control`; the current event is kept.
  void DiscardControlEvents(int control) { queue_.DiscardControlEvents(control); }

  EventQueue& queue() { return queue_; }

  // Shows a modal box with `title`, `text`, one OK button and no icon, owned by the main window
  // when that is active, and returns when the user has dismissed it.
  void ShowMessage(const std::string& title, const std::string& text);

  // --- Controls ------------------------------------------------------------------------------
  // Each create operation puts the new control in the main window under `id`, visible, enabled,
  // in the default font, and returns non-zero. A control already under `id` is freed first as
  // FreeControl does. Without a main window it returns 0 and leaves any previous control.

  // Plain text at the top of its box, wrapped at words, cut at the bottom; `flags` kTextLeft or
  // kTextCentred.
  int CreateTextControl(ControlId id, int x, int y, int width, int height, const std::string& text,
                        int flags);
  // An empty single-selection list with a sunken frame, a vertical scroll bar when needed and no
  // horizontal scrolling. Raises events when a line is clicked (type 0), the selection changes
  // (type 1) or a line is activated by a double-click or Enter (type 2).
  int CreateListControl(ControlId id, int x, int y, int width, int height);
  // A read-only, right-aligned number field with up/down arrows max(height / 2, 18) pixels wide
  // at the right of the box, overlapping the field by one pixel. Position in [minimum, maximum],
  // starting at minimum. An arrow click, or Up/Down in the field, steps the position by one
  // within the range (no wrap-around) and raises an event of type 4 (up) or 5 (down). The layer
  // never writes the position into the field.
  int CreateSpinControl(ControlId id, int x, int y, int width, int height, int minimum, int maximum,
                        int flags);
  int CreateButtonControl(ControlId id, int x, int y, int width, int height,
                          const std::string& caption);
  // An option, not chosen. An option created right after another option joins its group; a
  // click chooses it, clears the rest of its group, then raises its event.
  int CreateOptionControl(ControlId id, int x, int y, int width, int height,
                          const std::string& caption);
  // A two-state check box, not checked. A click toggles it before its event is raised.
  int CreateCheckBoxControl(ControlId id, int x, int y, int width, int height,
                            const std::string& caption);

  // Spin: moves the position, held within the range, leaving the field. Option: non-zero
  // chooses it and clears the rest of its group, 0 clears it. Check box: 0 clears, else checks.
  // Raises no event.
  void SetControlState(ControlId id, int value);
  // Spin: the position; option and check box: 1 or 0; others 0.
  int GetControlState(ControlId id) const;
  // Text: the shown text; spin: the field's text (painted at once), the position unchanged;
  // button, option, check box: the caption. Raises no event.
  void SetControlText(ControlId id, const std::string& text);
  // Inserts a line before the 0-based `position` of a list; -1 appends. Raises no event.
  int AddListItem(ControlId id, int position, const std::string& text);
  // The name a screen reader announces for the control (a spin's field, a list); the layer
  // otherwise names a control by its text. Raises no event.
  void SetControlName(ControlId id, const std::string& name);
  // Applies a font (0: the system font); for a spin, to its field.
  void SetControlFont(ControlId id, FontHandle font);
  // 1 disables (greyed, no input, no events), 0 enables; a spin's arrows follow its field.
  void DisableControl(ControlId id, int flag);
  // Destroys the control, frees its number and discards its waiting events.
  void FreeControl(ControlId id);
  bool ControlExists(ControlId id) const;

  // A number the program keeps with a list's line (0 until set), and that of the current line
  // (-1 when there is none, or `id` is no list).
  void SetListItemValue(ControlId id, int row, int value);
  int CurrentListValue(ControlId id) const;
  // Offers an action on control `id`: `text` in its context menu and, when `shortcut` is given
  // ("Ctrl+G"), that key anywhere in the window; taking it raises a control event of `id` with
  // event type `type`. An empty `text` withdraws the action of that type.
  void OfferAction(ControlId id, int type, const std::string& text,
                   const std::string& shortcut = {});
  // Shows an action that cannot be taken now: `text` greyed in control `id`'s context menu and,
  // when `shortcut` is given, that key showing a message titled `text` (without its dots) that
  // says `why`. Raises no event. Offering the action again (OfferAction) ends the refusal.
  void RefuseAction(ControlId id, int type, const std::string& text, const std::string& shortcut,
                    const std::string& why);
  // Takes the action of `type` on control `id` as its menu entry would: raises its event and
  // returns true when it is offered; shows its refusal and returns false when it is refused;
  // returns false when there is none.
  bool TriggerAction(ControlId id, int type);
  // Offers a command: `text` in control `id`'s context menu, or with `id` kWindowCommand the
  // key `shortcut` anywhere in the window. Taking it calls `run` at once, inside the wait; it
  // raises no event, so the phases and their events never see it. Offering the same text (or
  // shortcut) again replaces it. The command is offered while the returned CommandOffer lives:
  // keep it no longer than what `run` refers to.
  static constexpr ControlId kWindowCommand = -1;
  [[nodiscard]] CommandOffer OfferCommand(ControlId id, const std::string& text,
                                          std::function<void()> run);
  // Makes line `row` of list `id` the selected, current one (no event is raised).
  void SelectListLine(ControlId id, int row);

  // A modal chooser over the main window: a filter field and the lines `filter` gives for its
  // text (see choice_dialogs.h). The key of the line taken, or nothing.
  std::optional<int> ChooseFromList(const std::string& title, const std::string& prompt,
                                    const ChoiceFilter& filter);
  // A modal dialog asking for one line of text; `refusal` says why a text cannot be taken
  // (empty: it can). The text taken, or nothing when the user cancels.
  std::optional<std::string> AskForText(
      const std::string& title, const std::string& prompt, const std::string& initial,
      const std::function<std::string(const std::string&)>& refusal);

  // The function view (function_view.h), beside the main window; it returns at once.
  void ShowFunctionView(const FunctionViewContent& content);
  // Closes every function view.
  void CloseFunctionViews();
  // Gives control `id` the keyboard (nothing when it does not exist).
  void FocusControl(ControlId id);
  // The journal of writes (journal_dialog.h), modal over the main window: the line to restore.
  std::optional<int> ShowJournal(const std::vector<std::string>& lines);
  // The bus tree (bus_tree_view.h), modal over the main window.
  void ShowBusTree(const BusTreeContent& content);
  // Runs `step(0)` .. `step(count - 1)` with a progress dialog and Cancel over the main window
  // when the work lasts (progress_run.h); false when a step failed or the user cancelled.
  bool RunWithProgress(const std::string& title, const std::string& label, int count,
                       const std::function<bool(int index)>& step);
  // Qt's own save dialog over the main window, offering `file_name`; the path, or nothing.
  std::optional<std::string> AskSavePath(const std::string& title, const std::string& file_name);

  // Where descriptions come from: a control's tooltip and accessible description are asked for
  // the first time one is needed (the pointer rests on the control, or it takes the focus),
  // so that finding them costs nothing until then. Text and check-box controls ask `source`
  // with their number; an empty text or an empty function gives none.
  void SetDescriptionSource(std::function<std::string(ControlId)> source);
  // The same for the lines of list `id`, asked with the line's row.
  void SetListDescriptionSource(ControlId id, std::function<std::string(int row)> source);

 private:
  friend struct LayerTestAccess;  // layer_test_access.h

  struct Impl;
  // Moves the keyboard focus to the next (or previous) tab-stop control in creation order,
  // wrapping around; false when there is none.
  bool MoveFocus(bool forward);

  // Moves a spin's position by `step` within its range and raises its event.
  void StepSpin(ControlId id, int step);

  std::unique_ptr<Impl> impl_;
  EventQueue queue_;
  EventRecord current_;
};

}  // namespace qbus::ui
