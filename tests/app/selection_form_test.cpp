// SPDX-License-Identifier: GPL-3.0-or-later
// The selection form: its fresh state, every selector to its limits at each width, and the
// width options.
#include <gtest/gtest.h>

#include "controls/control_table.h"
#include "tests/app/program_fixture.h"

namespace qbus::test {
namespace {

using namespace controls;
using SelectionForm = ProgramTest;

std::vector<int> FormControls() {
  std::vector<int> ids;
  for (int id = 0; id <= 11; ++id) ids.push_back(id);
  for (int id : {107, 108}) ids.push_back(id);
  for (int id = 110; id <= 123; ++id) ids.push_back(id);
  return ids;
}

TEST_F(SelectionForm, StartsFreshAndMovesEverySelectorToItsLimits) {
  user_.Then("a fresh form", [this] {
    EXPECT_EQ(LiveControls(), FormControls());
    EXPECT_EQ(Text(kBusLabel), "Bus-Nr. (0x00-0xFF)");
    EXPECT_EQ(Text(kDeviceLabel), "Device-Nr. (0x00-0x1F)");
    EXPECT_EQ(Text(kFunctionLabel), "Function-Nr. (0x0-0x7)");
    EXPECT_EQ(Text(kOffsetLabel), "Address (0x0000-0xFFFC)");
    EXPECT_EQ(Text(kBusSelector), "0x00 (0) ");
    EXPECT_EQ(Text(kDeviceSelector), "0x00 (0) ");
    EXPECT_EQ(Text(kFunctionSelector), "0x0 (0) ");
    EXPECT_EQ(Text(kOffsetSelector), "0x0000 (0) ");
    EXPECT_EQ(Text(kReadButton), "R E A D");
    EXPECT_EQ(Text(kNewSelectionButton), "N E W   S E L E C T I O N");
    EXPECT_EQ(Text(kExitButton), "E X I T");
    EXPECT_EQ(Text(kDWordOption), "DWord");
    EXPECT_EQ(Text(kWordOption), "Word");
    EXPECT_EQ(Text(kByteOption), "Byte");
    EXPECT_EQ(layer().GetControlState(kDWordOption), 1);
    EXPECT_EQ(layer().GetControlState(kWordOption), 0);
    EXPECT_EQ(layer().GetControlState(kByteOption), 0);
    EXPECT_FALSE(Enabled(kNewSelectionButton));
    EXPECT_TRUE(Enabled(kExitButton));
    EXPECT_EQ(Box(kBusLabel), QRect(50, 10, 150, 20));
    EXPECT_EQ(Box(kBusSelector), QRect(50, 30, 133, 25)) << "the field, beside 18-pixel arrows";
    EXPECT_EQ(Box(kDeviceSelector), QRect(300, 30, 133, 25));
    EXPECT_EQ(Box(kFunctionSelector), QRect(550, 30, 133, 25));
    EXPECT_EQ(Box(kOffsetSelector), QRect(800, 30, 133, 25));
    EXPECT_EQ(Box(kReadButton), QRect(400, 80, 200, 45));
    EXPECT_EQ(Box(kNewSelectionButton), QRect(200, 400, 200, 25));
    EXPECT_EQ(Box(kExitButton), QRect(600, 400, 200, 25));
    EXPECT_EQ(Box(kDWordOption), QRect(780, 65, 70, 15));
    EXPECT_EQ(Box(kWordOption), QRect(850, 65, 70, 15));
    EXPECT_EQ(Box(kByteOption), QRect(920, 65, 70, 15));
    for (int id : FormControls()) EXPECT_EQ(FontSize(id), 12) << id;
    EXPECT_TRUE(static_cast<QLineEdit*>(Widget(layer(), kBusSelector))->isReadOnly());
    PressInSelector(kBusSelector, Qt::Key_Up, 300);
  });
  user_.Then("bus at its top", [this] {
    EXPECT_EQ(Text(kBusSelector), "0xFF (255) ");
    ClickArrow(layer(), kBusSelector, true);
  });
  user_.Then("up at the top stays", [this] {
    EXPECT_EQ(Text(kBusSelector), "0xFF (255) ");
    PressInSelector(kBusSelector, Qt::Key_Down, 245);
  });
  user_.Then("bus down", [this] {
    EXPECT_EQ(Text(kBusSelector), "0x0A (10) ");
    PressInSelector(kDeviceSelector, Qt::Key_Up, 40);
  });
  user_.Then("device at its top", [this] {
    EXPECT_EQ(Text(kDeviceSelector), "0x1F (31) ");
    PressInSelector(kFunctionSelector, Qt::Key_Up, 10);
  });
  user_.Then("function at its top", [this] {
    EXPECT_EQ(Text(kFunctionSelector), "0x7 (7) ");
    ClickArrow(layer(), kOffsetSelector, true);
  });
  user_.Then("one DWord step", [this] {
    EXPECT_EQ(Text(kOffsetSelector), "0x0004 (4) ");
    PressInSelector(kOffsetSelector, Qt::Key_Up, 0x4000);
  });
  user_.Then("DWord offset at its top", [this] {
    EXPECT_EQ(Text(kOffsetSelector), "0xFFFC (65532) ");
    EXPECT_EQ(layer().GetControlState(kOffsetSelector), 0x3FFF);
    Click(layer(), kWordOption);
  });
  user_.Then("Word chosen", [this] {
    EXPECT_EQ(Text(kOffsetLabel), "Address (0x0000-0xFFFE)");
    EXPECT_EQ(Text(kOffsetSelector), "0x0000 (0) ");
    EXPECT_EQ(layer().GetControlState(kOffsetSelector), 0);
    EXPECT_EQ(layer().GetControlState(kDWordOption), 0);
    EXPECT_EQ(FontSize(kOffsetSelector), 12);
    EXPECT_EQ(Box(kOffsetSelector), QRect(800, 30, 133, 25));
    ClickArrow(layer(), kOffsetSelector, true);
  });
  user_.Then("one Word step", [this] {
    EXPECT_EQ(Text(kOffsetSelector), "0x0002 (2) ");
    PressInSelector(kOffsetSelector, Qt::Key_Up, 0x8000);
  });
  user_.Then("Word offset at its top", [this] {
    EXPECT_EQ(Text(kOffsetSelector), "0xFFFE (65534) ");
    Click(layer(), kByteOption);
  });
  user_.Then("Byte chosen", [this] {
    EXPECT_EQ(Text(kOffsetLabel), "Address (0x0000-0xFFFF)");
    EXPECT_EQ(Text(kOffsetSelector), "0x0000 (0) ");
    PressInSelector(kOffsetSelector, Qt::Key_Up, 0x10000);
  });
  user_.Then("Byte offset at its top", [this] {
    EXPECT_EQ(Text(kOffsetSelector), "0xFFFF (65535) ");
    Click(layer(), kByteOption);
  });
  user_.Then("the chosen option again", [this] {
    EXPECT_EQ(Text(kOffsetSelector), "0xFFFF (65535) ");
    EXPECT_EQ(layer().GetControlState(kOffsetSelector), 0xFFFF);
    auto* list = static_cast<QListWidget*>(Widget(layer(), kDeviceList));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(2)).center());
  });
  user_.Then("a device line chosen", [this] {
    EXPECT_EQ(Text(kBusSelector), "0x0A (10) ");
    EXPECT_EQ(Text(kOffsetSelector), "0xFFFF (65535) ");
    Click(layer(), kExitButton);
  });
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(AccessLines(), (std::vector<std::string>{"InitializeOls -> 0x1", "DeinitializeOls"}));
}

}  // namespace
}  // namespace qbus::test
