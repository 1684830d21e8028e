// SPDX-License-Identifier: GPL-3.0-or-later
// What the window tells about registers and devices, found only when first asked for, and the
// faster ways to a register: a device line's double-click or Enter, the selectors' keys, copy.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QClipboard>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QToolTip>

#include "tests/app/program_fixture.h"

namespace qbus::test {
namespace {

using namespace controls;

// Asks a control for its tooltip as resting the pointer on it does.
std::string ToolTipOf(QWidget* widget) {
  QHelpEvent event(QEvent::ToolTip, QPoint(2, 2), widget->mapToGlobal(QPoint(2, 2)));
  QApplication::sendEvent(widget, &event);
  return widget->toolTip().toStdString();
}

using NamesAndShortcuts = ProgramTest;

TEST_F(NamesAndShortcuts, RegisterNamesAreReadOnlyWhenFirstAskedForAndLinesCopy) {
  user_.Then("offset 4", [this] { PressInSelector(kOffsetSelector, Qt::Key_Up, 1); });
  user_.Then("READ", [this] { Click(layer(), kReadButton); });
  user_.Then("ask for names", [this] {
    EXPECT_EQ(AccessLines().size(), 2u) << "nothing read for names before they are asked for";
    QWidget* box = Widget(layer(), kReadRowFirst + 29);
    EXPECT_EQ(ToolTipOf(box), "Command (0x04), bit 2: Bus Master Enable");
    EXPECT_EQ(box->accessibleDescription().toStdString(), ToolTipOf(box));
    EXPECT_EQ(ToolTipOf(Widget(layer(), kEditRowFirst)),
              "Status (0x06), bit 15: Detected Parity Error (write 1 to clear)");
    EXPECT_EQ(ToolTipOf(Widget(layer(), kReadLine)),
              "Command (0x04) and Status (0x06):\nDEVSEL Timing = fast");
    Click(layer(), kReadLine);
    QWidget* line = Widget(layer(), kReadLine);
    ASSERT_EQ(line->window()->focusWidget(), line) << "the click gives it the keyboard";
    QTest::keyClick(line, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), Text(kReadLine));
    Click(layer(), kExitButton);
  });
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(AccessLines(), (std::vector<std::string>{
                               "InitializeOls -> 0x1",
                               "ReadPciConfigDwordEx 0x0 0x4 -> 0x1 0x20900006",
                               "ReadPciConfigByteEx 0x0 0xE -> 0x1 0x0",
                               "ReadPciConfigDwordEx 0x0 0x10 -> 0x1 0x0",
                               "ReadPciConfigDwordEx 0x0 0x14 -> 0x1 0x0",
                               "ReadPciConfigDwordEx 0x0 0x18 -> 0x1 0x0",
                               "ReadPciConfigDwordEx 0x0 0x1C -> 0x1 0x0",
                               "ReadPciConfigDwordEx 0x0 0x20 -> 0x1 0x0",
                               "ReadPciConfigDwordEx 0x0 0x24 -> 0x1 0x0",
                               "ReadPciConfigWordEx 0x0 0x6 -> 0x1 0x2090",
                               "ReadPciConfigByteEx 0x0 0x34 -> 0x1 0xE0",
                               "ReadPciConfigWordEx 0x0 0xE0 -> 0x1 0x9",
                               "ReadPciConfigByteEx 0x0 0xE2 -> 0x1 0x10",
                               "ReadPciConfigDwordEx 0x0 0x100 -> 0x0 0xFFFFFFFF",
                               "DeinitializeOls",
                           }))
      << "the layout is read once, after READ, and nothing is written";
}

// What a screen reader gets through the controls' accessible interfaces, with no hover and no
// focus: each description (reading the layout once, when first asked), a check box's role and
// state, and its toggle action, which edits the register as a click does.
TEST_F(NamesAndShortcuts, AssistiveTechnologiesGetDescriptionsAndToggleBits) {
  user_.Then("offset 4", [this] { PressInSelector(kOffsetSelector, Qt::Key_Up, 1); });
  user_.Then("READ", [this] { Click(layer(), kReadButton); });
  user_.Then("ask as a screen reader", [this] {
    EXPECT_EQ(AccessLines().size(), 2u) << "nothing read for names before they are asked for";
    const auto ask = [this](ControlId id) {
      return QAccessible::queryAccessibleInterface(Widget(layer(), id));
    };
    const struct {
      ControlId id;
      const char* description;
    } kRows[] = {
        {kReadLine, "Command (0x04) and Status (0x06):\nDEVSEL Timing = fast"},
        {kWriteLine, "Command (0x04) and Status (0x06):\nDEVSEL Timing = fast"},
        {kReadRowFirst + 29, "Command (0x04), bit 2: Bus Master Enable"},
        {kEditRowFirst, "Status (0x06), bit 15: Detected Parity Error (write 1 to clear)"},
    };
    for (const auto& [id, description] : kRows) {
      SCOPED_TRACE(id);
      EXPECT_EQ(ask(id)->text(QAccessible::Description).toStdString(), description);
    }
    QAccessibleInterface* bit = ask(kEditRowFirst + 31);
    EXPECT_EQ(bit->role(), QAccessible::CheckBox);
    EXPECT_TRUE(bit->state().checkable);
    EXPECT_FALSE(bit->state().checked);
    EXPECT_TRUE(ask(kReadRowFirst)->state().disabled);
    bit->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
  });
  user_.Then("the bit is set", [this] {
    EXPECT_EQ(layer().GetControlState(kEditRowFirst + 31), 1);
    EXPECT_NE(Text(kWriteLine).find("Hex: 20900007"), std::string::npos) << Text(kWriteLine);
    Click(layer(), kExitButton);
  });
  EXPECT_EQ(Run(), 0);
  const auto lines = AccessLines();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "ReadPciConfigByteEx 0x0 0xE -> 0x1 0x0"), 1)
      << "the layout is read once";
}

// A row's description decodes the value that row shows: the Edit row and the Write line follow
// each click, the Read line keeps what was read.
TEST_F(NamesAndShortcuts, DescriptionsDecodeTheValueTheirRowShows) {
  user_.Then("00:02.0, Word", [this] {
    PressInSelector(kDeviceSelector, Qt::Key_Up, 2);
    Click(layer(), kWordOption);
  });
  user_.Then("offset 0xD4", [this] { PressInSelector(kOffsetSelector, Qt::Key_Up, 0xD4 / 2); });
  user_.Then("caption", [] {});
  user_.Then("READ", [this] { Click(layer(), kReadButton); });
  user_.Then("ask, then set bit 0", [this] {
    EXPECT_EQ(ToolTipOf(Widget(layer(), kWriteLine)),
              "Power Management Control/Status (0xD4):\nPower State (D0 to D3hot) = D0");
    Click(layer(), kEditRowFirst + 15);
  });
  user_.Then("ask again", [this] {
    const std::string state = "Power Management Control/Status (0xD4):\nPower State (D0 to D3hot)";
    EXPECT_EQ(ToolTipOf(Widget(layer(), kWriteLine)), state + " = D1");
    EXPECT_EQ(ToolTipOf(Widget(layer(), kReadLine)), state + " = D0");
    EXPECT_EQ(ToolTipOf(Widget(layer(), kEditRowFirst + 14)),
              "Power Management Control/Status (0xD4), bit 1: Power State (D0 to D3hot) "
              "(bits 1-0) = D1");
    Click(layer(), kExitButton);
  });
  EXPECT_EQ(Run(), 0);
}

// A chosen line of the device list changes nothing: only the dialogs set the selectors.
TEST_F(NamesAndShortcuts, ADeviceLineLeavesTheSelectorsAndTheyTakeTheirKeys) {
  auto* list = static_cast<QListWidget*>(nullptr);
  user_.Then("double-click 00:1c.0", [this, &list] {
    list = static_cast<QListWidget*>(Widget(layer(), kDeviceList));
    const std::string name = list->item(0)->data(Qt::ToolTipRole).toString().toStdString();
    EXPECT_NE(name.find("Intel Corporation"), std::string::npos) << name;
    EXPECT_NE(name.find("(0x8086:0x3E30)"), std::string::npos) << name;
    EXPECT_EQ(list->item(0)->data(Qt::AccessibleDescriptionRole).toString().toStdString(), name);
    const QPoint line = list->visualItemRect(list->item(3)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, line);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, line);
  });
  user_.Then("Enter on 01:00.0", [this, &list] {
    EXPECT_EQ(Text(kDeviceSelector), "0x00 (0) ");
    SaveScreenshot("double-clicked-device-line");
    list->setCurrentRow(8);
    QTest::keyClick(list, Qt::Key_Return);
  });
  user_.Then("keys", [this] {
    EXPECT_EQ(Text(kBusSelector), "0x00 (0) ");
    EXPECT_EQ(Text(kDeviceSelector), "0x00 (0) ");
    EXPECT_EQ(Text(kFunctionSelector), "0x0 (0) ");
    PressInSelector(kOffsetSelector, Qt::Key_PageUp, 2);
  });
  user_.Then("Page Up twice", [this] {
    EXPECT_EQ(Text(kOffsetSelector), "0x0080 (128) ");
    PressInSelector(kOffsetSelector, Qt::Key_End, 1);
  });
  user_.Then("End", [this] {
    EXPECT_EQ(Text(kOffsetSelector), "0xFFFC (65532) ");
    PressInSelector(kOffsetSelector, Qt::Key_Home, 1);
  });
  user_.Then("Home", [this] {
    EXPECT_EQ(Text(kOffsetSelector), "0x0000 (0) ");
    PressInSelector(kOffsetSelector, Qt::Key_PageDown, 1);
  });
  user_.Then("Page Down at the limit", [this] {
    EXPECT_EQ(Text(kOffsetSelector), "0x0000 (0) ");
    // A held Up: one press, then 29 repeats of 1, 4 and 16 steps as the hold goes on.
    QWidget* field = Widget(layer(), kBusSelector);
    PressInSelector(kBusSelector, Qt::Key_Home, 1);
    for (int i = 0; i < 30; ++i) {
      QKeyEvent press(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier, QString(), i > 0);
      QApplication::sendEvent(field, &press);
    }
  });
  user_.Then("held Up", [this] {
    EXPECT_EQ(Text(kBusSelector), "0xA8 (168) ");
    Click(layer(), kExitButton);
  });
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(AccessLines(), (std::vector<std::string>{"InitializeOls -> 0x1", "DeinitializeOls"}));
}

// Shift+F1 shows the focused control's description, as resting the pointer there would: a bit box
// and a device line, reached by keyboard. A screen reader names each selector and the list.
TEST_F(NamesAndShortcuts, ShiftF1ShowsTheFocusedDescriptionAndSelectorsHaveNames) {
  const auto shown_for = [](QWidget* focused) {
    focused->window()->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(focused->window()));
    focused->setFocus(Qt::TabFocusReason);
    QTest::keyClick(focused, Qt::Key_F1, Qt::ShiftModifier);
    const std::string text = QToolTip::text().toStdString();
    QToolTip::hideText();
    return text;
  };
  user_.Then("names, offset 4", [this, shown_for] {
    const std::pair<ControlId, const char*> kNames[] = {
        {kBusSelector, "Bus"},
        {kDeviceSelector, "Device"},
        {kFunctionSelector, "Function"},
        {kOffsetSelector, "Address"},
        {kDeviceList, "PCI functions (simulated machine)"}};
    for (const auto& [id, name] : kNames) {
      EXPECT_EQ(QAccessible::queryAccessibleInterface(Widget(layer(), id))
                    ->text(QAccessible::Name)
                    .toStdString(),
                name);
    }
    auto* list = static_cast<QListWidget*>(Widget(layer(), kDeviceList));
    list->setCurrentRow(0);
    const std::string line = shown_for(list);
    EXPECT_NE(line.find("(0x8086:0x3E30)"), std::string::npos) << line;
    PressInSelector(kOffsetSelector, Qt::Key_Up, 1);
  });
  user_.Then("READ", [this] { Click(layer(), kReadButton); });
  user_.Then("Shift+F1 on a bit box", [this, shown_for] {
    EXPECT_EQ(shown_for(Widget(layer(), kEditRowFirst + 29)),
              "Command (0x04), bit 2: Bus Master Enable");
    Click(layer(), kExitButton);
  });
  EXPECT_EQ(Run(), 0);
}

}  // namespace
}  // namespace qbus::test
