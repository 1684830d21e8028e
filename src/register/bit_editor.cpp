// SPDX-License-Identifier: GPL-3.0-or-later
#include "register/bit_editor.h"

#include <functional>
#include <optional>

#include "controls/control_table.h"
#include "register/bit_row.h"
#include "register/result_line.h"
#include "register/set_value.h"
#include "register/write_record.h"
#include "text/register_texts.h"

namespace qbus::regs {
namespace {

using namespace controls;

void CreateLine(ui::WindowLayer& layer, ControlId id, Box box, const std::string& text) {
  layer.CreateTextControl(id, box.x, box.y, box.width, box.height, text, ui::kTextCentred);
  layer.SetControlFont(id, layer.FontHandleOf(kLargeFont));
}

bool InEditRow(ControlId id, AccessWidth width) {
  return id >= kEditRowFirst && id < kEditRowFirst + WidthBits(width);
}

constexpr char kUndoText[] = "Undo the write";
constexpr char kNothingWritten[] =
    "There is nothing to undo: nothing has been written in this cycle.";
constexpr char kUndoneAlready[] =
    "There is nothing more to undo: the write has been undone. The journal of writes (Ctrl+J) "
    "writes back any earlier value.";

// Waits after the write until NEW SELECTION, EXIT or the close box. `undo`, when given, is
// offered on the Test line (its menu and Ctrl+Z) and taken at most once; after it Ctrl+Z says why
// it does nothing. Everything else is ignored.
Outcome FinalWait(ui::WindowLayer& layer, const std::function<void()>& undo = {}) {
  bool undo_offered = static_cast<bool>(undo);
  if (undo_offered) {
    layer.OfferAction(kReadLine, ui::kUndoRequested, "");
    layer.OfferAction(kTestLine, ui::kUndoRequested, kUndoText, "Ctrl+Z");
  }
  for (;;) {
    const int code = layer.WaitEvent();
    if (code == ui::kCloseEvent) return Outcome::kExit;
    if (code != ui::kControlEvent) continue;
    if (layer.EventControl() == kExitButton) return Outcome::kExit;
    if (layer.EventControl() == kNewSelectionButton) return Outcome::kNewSelection;
    if (undo_offered && layer.EventControl() == kTestLine &&
        layer.CurrentEvent().type == ui::kUndoRequested) {
      undo_offered = false;
      layer.RefuseAction(kTestLine, ui::kUndoRequested, kUndoText, "Ctrl+Z", kUndoneAlready);
      undo();
    }
  }
}

// The Edit row's boxes and the Write line for `value`.
void ShowEditValue(ui::WindowLayer& layer, const RegisterTarget& target, uint32_t value) {
  const int bits = WidthBits(target.width);
  for (int k = 0; k < bits; ++k) {
    layer.SetControlState(kEditRowFirst + k, (value >> (bits - 1 - k)) & 1);
  }
  layer.SetControlText(kWriteLine,
                       FormatResultLine(LineKind::kWrite, target.width, value, target.captions));
}

// Set value: Ctrl+E anywhere and the Edit row's (and Write line's) context menu while editing.
void OfferSetValue(ui::WindowLayer& layer, AccessWidth width, bool offered) {
  const std::string text = offered ? "Set value..." : "";
  layer.OfferAction(kWriteLine, ui::kSetValueRequested, text, "Ctrl+E");
  for (int k = 0; k < WidthBits(width); ++k) {
    layer.OfferAction(kEditRowFirst + k, ui::kSetValueRequested, text);
  }
}

// Asks for a value of the width; nothing when the user cancels. Bad input is refused in the
// dialog, which then stays open.
std::optional<uint32_t> AskForValue(ui::WindowLayer& layer, AccessWidth width, uint32_t current) {
  const auto refusal = [width](const std::string& typed) {
    std::string why;
    ParseTypedValue(typed, width, &why);
    return why;
  };
  const std::optional<std::string> typed = layer.AskForText(
      "Set value", std::string("Hex value of the ") + WidthName(width) + " register:",
      text::HexField(current, 2 * WidthBytes(width)), refusal);
  std::string why;
  return typed ? ParseTypedValue(*typed, width, &why) : std::nullopt;
}

// What editing ended with: WRITE with the composed value, or a way out (NEW SELECTION, EXIT, the
// close box) with nothing to write.
struct EditResult {
  std::optional<Outcome> left;
  uint32_t value = 0;
};

// Shows the Write line, the Edit row and WRITE, and keeps the Write line in step with the row's
// boxes until WRITE or a way out.
EditResult RunEditing(ui::WindowLayer& layer, const ReadResult& read, const EditPlan& plan) {
  const RegisterTarget& target = read.target;
  const AccessWidth width = target.width;
  uint32_t edit_value = read.value;
  CreateLine(layer, kWriteLine, kWriteLineBox,
             FormatResultLine(LineKind::kWrite, width, edit_value, target.captions));
  BuildBitRow(layer, BitRow::kEdit, width, edit_value);
  layer.CreateButtonControl(kWriteButton, kWriteButtonBox.x, kWriteButtonBox.y,
                            kWriteButtonBox.width, kWriteButtonBox.height, "W R I T E");
  layer.SetControlFont(kWriteButton, layer.FontHandleOf(kLargeFont));
  OfferSetValue(layer, width, true);
  if (plan) {
    const ComposedEdit composed = plan(read.value);
    edit_value = composed.value & WidthMask(width);
    ShowEditValue(layer, target, edit_value);
    const Box box = kEditNoteBox;
    layer.CreateTextControl(kEditNote, box.x, box.y, box.width, box.height, composed.note,
                            ui::kTextLeft);
    layer.SetControlFont(kEditNote, layer.FontHandleOf(kSmallFont));
    layer.FocusControl(kWriteButton);  // the user's next step
  }

  for (;;) {
    const int code = layer.WaitEvent();
    if (code == ui::kCloseEvent) return {Outcome::kExit};
    if (code != ui::kControlEvent) continue;
    const ControlId id = layer.EventControl();
    if (id == kWriteButton) {
      layer.FreeControl(kWriteButton);
      OfferSetValue(layer, width, false);
      return {std::nullopt, edit_value};
    }
    if (layer.CurrentEvent().type == ui::kSetValueRequested) {
      if (const std::optional<uint32_t> value = AskForValue(layer, width, edit_value)) {
        edit_value = *value;
        ShowEditValue(layer, target, edit_value);
      }
    } else if (InEditRow(id, width)) {
      edit_value = BitRowValue(layer, BitRow::kEdit, width);
      layer.SetControlText(kWriteLine,
                           FormatResultLine(LineKind::kWrite, width, edit_value, target.captions));
    } else if (id == kNewSelectionButton) {
      layer.FreeControl(kWriteButton);
      OfferSetValue(layer, width, false);
      return {Outcome::kNewSelection};
    } else if (id == kExitButton) {
      return {Outcome::kExit};
    }
  }
}

// Records the write of `value` over `before`, writes it, reads the register back, records what
// it holds, and shows the outcome: the Write line's reason if the write failed, the Test line
// and the Verify row.
WriteOutcome WriteAndVerify(ui::WindowLayer& layer, const hw::HardwareAccess& access,
                            const AccessEnvironment& environment, const RegisterTarget& target,
                            uint32_t before, uint32_t value) {
  const AccessWidth width = target.width;
  const WriteOutcome outcome = WriteRecorded(access, environment, target, before, value);
  for (int k = 0; k < WidthBits(width); ++k) layer.DisableControl(kEditRowFirst + k, 1);
  const uint32_t verify_value = outcome.read_back.value_or(0);
  uint32_t space_size = 0;
  if (!outcome.written) {
    const FailureCause cause = DiagnoseFailure(access, target, true, &space_size);
    layer.SetControlText(kWriteLine, FormatFailureLine(LineKind::kWrite, width, target.captions,
                                                       WriteFailure(cause, space_size)));
  }
  if (outcome.read_back) {
    CreateLine(layer, kTestLine, kTestLineBox,
               FormatResultLine(LineKind::kTest, width, verify_value, target.captions));
    BuildBitRow(layer, BitRow::kVerify, width, verify_value);
  } else {
    for (int k = 0; k < WidthBits(width); ++k) layer.FreeControl(kVerifyRowFirst + k);
    const FailureCause cause = DiagnoseFailure(access, target, false, &space_size);
    CreateLine(layer, kTestLine, kTestLineBox,
               FormatFailureLine(LineKind::kTest, width, target.captions,
                                 ReadFailure(cause, target.offset, space_size)));
  }
  return outcome;
}

}  // namespace

Outcome RunBitEditor(ui::WindowLayer& layer, const hw::HardwareAccess& access,
                     const AccessEnvironment& environment, const ReadResult& read,
                     const EditPlan& plan) {
  layer.RefuseAction(kReadLine, ui::kUndoRequested, kUndoText, "Ctrl+Z", kNothingWritten);
  if (!read.read) return FinalWait(layer);  // nothing was read, so nothing may be written
  const EditResult edit = RunEditing(layer, read, plan);
  if (edit.left) return *edit.left;
  const RegisterTarget& target = read.target;
  const WriteOutcome wrote =
      WriteAndVerify(layer, access, environment, target, read.value, edit.value);
  if (!wrote.written) return FinalWait(layer);
  // Undo writes back the value READ showed, through the same records, write and read-back; the
  // Write line and the Edit row show what is written back.
  return FinalWait(layer, [&] {
    ShowEditValue(layer, target, read.value);
    WriteAndVerify(layer, access, environment, target, wrote.read_back.value_or(edit.value),
                   read.value);
  });
}

}  // namespace qbus::regs
