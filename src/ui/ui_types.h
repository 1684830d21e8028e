// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "config_space/decoded_line.h"

// Plain types of the window layer, shared by the layer and the program's phases.
namespace qbus::ui {

// Names one control of the main window; never negative.
using ControlId = int;

// Names a font made by MakeFont; 0 is no font (controls given it use the system font).
using FontHandle = uint32_t;

// Event codes the program acts on.
constexpr int kControlEvent = 13100;   // a user action on a control; carries the control's number
constexpr int kCloseEvent = 13116;     // the close box or the window manager's close; carries 0
constexpr int kListLineActivated = 2;  // a list's event type for a double-clicked (or Enter) line
constexpr int kUndoRequested = 3;      // a text control's event type: undo the write it shows
// Event types of the actions offered on controls (OfferAction): go to a register, find a
// device, set a value. Spins use 4 and 5.
constexpr int kGoToRequested = 10;
constexpr int kFindRequested = 11;
constexpr int kSetValueRequested = 12;

// One line of a chooser dialog, and the number the program knows it by.
struct ListChoice {
  std::string text;
  int key = 0;
};
// The lines a chooser shows for what the user has typed.
using ChoiceFilter = std::function<std::vector<ListChoice>(const std::string& typed)>;

// One reading of a function's configuration space for the function view: its bytes (64, 256 or
// 4096), its decoded tree, a line about them ("4096 bytes"), and the register name of each byte.
struct FunctionSnapshot {
  std::vector<uint8_t> bytes;
  std::vector<bool> held;  // which of `bytes` a saved copy gives; empty: all of them
  std::vector<config_space::DecodedLine> tree;
  std::string note;     // how much was read and, when not all of it, why
  std::string refusal;  // why this reading may not be saved (only part of it); empty: it may
  std::function<std::string(int offset)> name;
};

// What the function view shows and does: `read` reads the function afresh (at opening and on
// Refresh); `save` writes a reading to a file and says why it could not (empty: saved).
// `open_copy` reads a saved copy to compare with (a snapshot whose `note` names it) or says why
// it cannot (`refusal`); `go_to` sets the main form to a register and says whether it could.
// `set_field` asks for a field's new value by meaning and hands the main form the plan that sets
// it, saying whether the form took it; `save_json` writes a reading as JSON; `watch_writes`
// keeps the callback it is given, called after each write the main window makes to this
// function, while the callback lives.
struct FunctionViewContent {
  std::string title;
  std::function<FunctionSnapshot()> read;
  std::function<std::string(const std::string& path, const FunctionSnapshot& snapshot)> save;
  std::string file_name;  // offered in the save dialog
  std::function<FunctionSnapshot(const std::string& path)> open_copy;
  std::function<bool(uint32_t offset, int size)> go_to;
  std::function<bool(const config_space::DecodedLine& field, const FunctionSnapshot& shown)>
      set_field;
  std::function<std::string(const std::string& path, const FunctionSnapshot& snapshot)> save_json;
  std::function<void(std::weak_ptr<std::function<void()>> written)> watch_writes;
  // Restore from copy: a line for each register whose writable bits differ from `copy`, read
  // afresh; then `restore` writes the register of one of those lines and says what came of it.
  std::function<std::vector<std::string>(const FunctionSnapshot& copy)> plan_restore;
  std::function<std::string(int line)> restore;
};

// One line of the bus tree: a root bus or a function, `depth` levels in; `row` is the function's
// line in the device list (-1 for a bus).
struct BusTreeItem {
  int depth = 0;
  std::string text;
  int row = -1;
};

// The bus tree dialog: its lines in order, each after its parent, what selecting a function
// line does, and what Enter on one does: true when it is done and the dialog may close.
struct BusTreeContent {
  std::vector<BusTreeItem> lines;
  std::function<void(int row)> select;
  std::function<bool(int row)> activate;
};

// One event as the queue holds it. `type` tells kinds of action on one control apart (a spin
// raises 4 for a step up, 5 for a step down); the program never reads it.
struct EventRecord {
  int code = 0;
  int control = 0;
  int window = 0;
  int type = 0;
  friend bool operator==(const EventRecord&, const EventRecord&) = default;
};

// Flags of OpenMainWindow: title bar, system menu with close box, minimise box, centring.
constexpr uint32_t kTitleBar = 0xC00000;
constexpr uint32_t kSystemMenu = 0x80000;
constexpr uint32_t kMinimiseBox = 0x20000;
constexpr uint32_t kCentred = 0x1;
constexpr uint32_t kMainWindowFlags = kTitleBar | kSystemMenu | kMinimiseBox | kCentred;

// Flags of the create operations.
constexpr int kTextLeft = 0;
constexpr int kTextCentred = 1;
constexpr int kSpinReadOnly = 1;

}  // namespace qbus::ui
