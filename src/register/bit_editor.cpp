// SPDX-License-Identifier: GPL-3.0-or-later
#include "register/bit_editor.h"

#include "controls/control_table.h"
#include "register/bit_row.h"
#include "register/result_line.h"
#include "register/write_record.h"

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

// Waits after the write until NEW SELECTION, EXIT or the close box; ignores everything else.
Outcome FinalWait(ui::WindowLayer& layer) {
  for (;;) {
    const int code = layer.WaitEvent();
    if (code == ui::kCloseEvent) return Outcome::kExit;
    if (code != ui::kControlEvent) continue;
    if (layer.EventControl() == kExitButton) return Outcome::kExit;
    if (layer.EventControl() == kNewSelectionButton) return Outcome::kNewSelection;
  }
}

void Record(const AccessEnvironment& environment, const std::string& line) {
  if (environment.record_write) environment.record_write(line);
}

}  // namespace

Outcome RunBitEditor(ui::WindowLayer& layer, const hw::HardwareAccess& access,
                     const AccessEnvironment& environment, const ReadResult& read) {
  if (!read.read) return FinalWait(layer);  // nothing was read, so nothing may be written
  const RegisterTarget& target = read.target;
  const AccessWidth width = target.width;
  uint32_t edit_value = read.value;
  CreateLine(layer, kWriteLine, kWriteLineBox,
             FormatResultLine(LineKind::kWrite, width, edit_value, target.captions));
  BuildBitRow(layer, BitRow::kEdit, width, edit_value);
  layer.CreateButtonControl(kWriteButton, kWriteButtonBox.x, kWriteButtonBox.y,
                            kWriteButtonBox.width, kWriteButtonBox.height, "W R I T E");
  layer.SetControlFont(kWriteButton, layer.FontHandleOf(kLargeFont));

  bool restart_requested = false;
  for (bool editing = true; editing;) {
    const int code = layer.WaitEvent();
    if (code == ui::kCloseEvent) return Outcome::kExit;
    if (code != ui::kControlEvent) continue;
    const ControlId id = layer.EventControl();
    if (id == kWriteButton) {
      editing = false;
    } else if (InEditRow(id, width)) {
      edit_value = BitRowValue(layer, BitRow::kEdit, width);
      layer.SetControlText(kWriteLine,
                           FormatResultLine(LineKind::kWrite, width, edit_value, target.captions));
    } else if (id == kNewSelectionButton) {
      restart_requested = true;
      editing = false;
    } else if (id == kExitButton) {
      return Outcome::kExit;
    }
  }
  layer.FreeControl(kWriteButton);
  if (restart_requested) return Outcome::kNewSelection;

  Record(environment, FormatWriteIntent(target, read.value, edit_value));
  const bool written = WriteRegister(access, target, edit_value);
  for (int k = 0; k < WidthBits(width); ++k) layer.DisableControl(kEditRowFirst + k, 1);
  uint32_t verify_value = 0;
  const bool read_back = ReadRegister(access, target, &verify_value);
  Record(environment, FormatWriteOutcome(target, read.value, edit_value, written,
                                         read_back ? std::optional(verify_value) : std::nullopt));
  uint32_t space_size = 0;
  if (!written) {
    const FailureCause cause = DiagnoseFailure(access, target, true, &space_size);
    layer.SetControlText(kWriteLine, FormatFailureLine(LineKind::kWrite, width, target.captions,
                                                       WriteFailure(cause, space_size)));
  }
  if (read_back) {
    CreateLine(layer, kTestLine, kTestLineBox,
               FormatResultLine(LineKind::kTest, width, verify_value, target.captions));
    BuildBitRow(layer, BitRow::kVerify, width, verify_value);
  } else {
    const FailureCause cause = DiagnoseFailure(access, target, false, &space_size);
    CreateLine(layer, kTestLine, kTestLineBox,
               FormatFailureLine(LineKind::kTest, width, target.captions,
                                 ReadFailure(cause, target.offset, space_size)));
  }
  return FinalWait(layer);
}

}  // namespace qbus::regs
