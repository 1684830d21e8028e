// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/ui_types.h"

// Every control of the main window by number, with its place (x, y, width, height in client
// pixels). A number may serve different controls in different phases (8 to 11). Numbers 0 to
// 106 belong to one register cycle and are freed when the next selection form is built; 107,
// 108 and 110 to 123 stay to the end. 109 is not used.
namespace qbus::controls {

using ui::ControlId;

struct Box {
  int x, y, width, height;
};

// Font numbers.
constexpr int kSmallFont = 0;  // "Arial", nominal 7 points; check-box rows
constexpr int kLargeFont = 1;  // "Arial", nominal 9 points; everything else

// Selection form: labels (centred text) and spin selectors.
constexpr ControlId kBusLabel = 0;
constexpr ControlId kBusSelector = 1;
constexpr ControlId kDeviceLabel = 2;
constexpr ControlId kDeviceSelector = 3;
constexpr ControlId kFunctionLabel = 4;
constexpr ControlId kFunctionSelector = 5;
constexpr ControlId kOffsetLabel = 6;
constexpr ControlId kOffsetSelector = 7;
constexpr Box kBusLabelBox{50, 10, 150, 20};
constexpr Box kBusSelectorBox{50, 30, 150, 25};
constexpr Box kDeviceLabelBox{300, 10, 150, 20};
constexpr Box kDeviceSelectorBox{300, 30, 150, 25};
constexpr Box kFunctionLabelBox{550, 10, 150, 20};
constexpr Box kFunctionSelectorBox{550, 30, 150, 25};
constexpr Box kOffsetLabelBox{800, 10, 150, 20};
constexpr Box kOffsetSelectorBox{800, 30, 150, 25};

// Number 8: READ button (selection form), then WRITE button (bit editor), then Test line.
constexpr ControlId kReadButton = 8;
constexpr ControlId kWriteButton = 8;
constexpr ControlId kTestLine = 8;
constexpr Box kReadButtonBox{400, 80, 200, 45};
constexpr Box kWriteButtonBox{400, 170, 200, 25};
constexpr Box kTestLineBox{10, 170, 980, 20};

// Numbers 9 to 11: width options (selection form); 9 then serves as the Read line.
constexpr ControlId kDWordOption = 9;
constexpr ControlId kWordOption = 10;
constexpr ControlId kByteOption = 11;
constexpr ControlId kReadLine = 9;
constexpr Box kDWordOptionBox{780, 65, 70, 15};
constexpr Box kWordOptionBox{850, 65, 70, 15};
constexpr Box kByteOptionBox{920, 65, 70, 15};
constexpr Box kReadLineBox{10, 70, 980, 20};

// Write line and the three check-box rows; a row of n bits fills its first n numbers.
constexpr ControlId kWriteLine = 42;
constexpr Box kWriteLineBox{10, 120, 980, 20};
constexpr ControlId kReadRowFirst = 10;    // 10..41, y 90, disabled
constexpr ControlId kEditRowFirst = 43;    // 43..74, y 140
constexpr ControlId kVerifyRowFirst = 75;  // 75..106, y 190, disabled
constexpr ControlId kLastCycleControl = 106;
// What a value the tool composed (a field set by its meaning, a write back) changes, under the
// Verify row; it lives for one cycle.
constexpr ControlId kEditNote = 109;
constexpr Box kEditNoteBox{10, 208, 700, 18};

// Buttons that stay from cycle to cycle.
constexpr ControlId kNewSelectionButton = 107;
constexpr ControlId kExitButton = 108;
constexpr Box kNewSelectionButtonBox{200, 400, 200, 25};
constexpr Box kExitButtonBox{600, 400, 200, 25};

// Bus scan: device list and vendor legend.
constexpr ControlId kDeviceList = 110;
constexpr ControlId kLegendHeading = 111;
constexpr ControlId kLegendFirst = 112;
constexpr ControlId kLegendLast = 123;
constexpr Box kDeviceListBox{10, 230, 590, 160};
constexpr Box kLegendHeadingBox{720, 220, 150, 15};

}  // namespace qbus::controls
