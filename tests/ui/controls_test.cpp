// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QAccessible>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QToolButton>

#include "tests/ui/layer_fixture.h"

namespace qbus::test {
namespace {

using Controls = LayerTest;

TEST_F(Controls, CreatingUnderANumberInUseReplacesTheControlAndItsPendingEvents) {
  layer().CreateButtonControl(107, 200, 400, 200, 25, "old");
  layer().CreateButtonControl(108, 600, 400, 200, 25, "E X I T");
  Click(layer(), 107);
  Click(layer(), 108);
  ASSERT_EQ(layer().CreateButtonControl(107, 200, 400, 200, 25, "new"), 1);
  EXPECT_EQ(window()->findChildren<QPushButton*>().size(), 2);
  EXPECT_EQ(static_cast<QPushButton*>(Widget(layer(), 107))->text(), "new");
  EXPECT_EQ(PendingEvents(), std::vector<ui::EventRecord>{ControlEvent(108)});
  // A number may change kind.
  layer().CreateTextControl(107, 10, 10, 50, 20, "text", ui::kTextLeft);
  EXPECT_EQ(window()->findChildren<QPushButton*>().size(), 1);
  EXPECT_NE(qobject_cast<QLabel*>(Widget(layer(), 107)), nullptr);
}

TEST_F(Controls, FreeDestroysTheControlAndDiscardsOnlyItsEvents) {
  layer().CreateButtonControl(8, 400, 80, 200, 45, "R E A D");
  layer().CreateButtonControl(108, 600, 400, 200, 25, "E X I T");
  layer().CreateSpinControl(1, 50, 30, 150, 25, 0, 255, ui::kSpinReadOnly);
  ClickArrow(layer(), 1, true);
  Click(layer(), 8);
  Click(layer(), 108);
  Click(layer(), 8);
  layer().FreeControl(8);
  layer().FreeControl(1);
  layer().FreeControl(109);  // never used
  layer().FreeControl(8);    // already freed
  EXPECT_FALSE(layer().ControlExists(8));
  EXPECT_FALSE(layer().ControlExists(109));
  EXPECT_TRUE(layer().ControlExists(108));
  EXPECT_EQ(window()->findChildren<QLineEdit*>().size(), 0);
  EXPECT_EQ(window()->findChildren<QToolButton*>().size(), 0) << "both parts of the spin";
  EXPECT_EQ(PendingEvents(), std::vector<ui::EventRecord>{ControlEvent(108)});
  EXPECT_EQ(layer().GetControlState(1), 0);
}

TEST_F(Controls, OptionsCreatedOneAfterAnotherFormAGroup) {
  layer().CreateOptionControl(9, 780, 65, 70, 15, "DWord");
  layer().CreateOptionControl(10, 850, 65, 70, 15, "Word");
  layer().CreateOptionControl(11, 920, 65, 70, 15, "Byte");
  layer().CreateTextControl(0, 0, 0, 10, 10, "", ui::kTextLeft);
  layer().CreateOptionControl(12, 0, 100, 70, 15, "Alone");
  for (int id : {9, 10, 11, 12}) EXPECT_EQ(layer().GetControlState(id), 0) << id;

  layer().SetControlState(9, 1);
  layer().SetControlState(12, 1);
  layer().SetControlState(10, 1);
  EXPECT_EQ(layer().GetControlState(9), 0);
  EXPECT_EQ(layer().GetControlState(10), 1);
  EXPECT_EQ(layer().GetControlState(12), 1) << "another group";
  layer().SetControlState(10, 0);
  EXPECT_EQ(layer().GetControlState(10), 0) << "clearing works in an exclusive group";
  EXPECT_TRUE(PendingEvents().empty()) << "the program's changes raise nothing";

  layer().SetControlState(9, 1);
  Click(layer(), 11);
  EXPECT_EQ(layer().GetControlState(9), 0);
  EXPECT_EQ(layer().GetControlState(11), 1);
  Click(layer(), 11);
  EXPECT_EQ(layer().GetControlState(11), 1) << "a chosen option stays chosen";
  EXPECT_EQ(PendingEvents(), std::vector<ui::EventRecord>{ControlEvent(11)}) << "merged";
  EXPECT_EQ(layer().GetControlState(12), 1);
}

TEST_F(Controls, SpinStepsWithinItsRangeAndNeverWritesItsField) {
  layer().CreateSpinControl(5, 550, 30, 150, 25, 0, 2, ui::kSpinReadOnly);
  auto* field = qobject_cast<QLineEdit*>(Widget(layer(), 5));
  ASSERT_NE(field, nullptr);
  EXPECT_EQ(field->geometry(), QRect(550, 30, 133, 25));
  QWidget* arrows = window()->childAt(695, 40)->parentWidget();
  EXPECT_EQ(arrows->geometry(), QRect(682, 30, 18, 25));
  EXPECT_TRUE(field->isReadOnly());
  EXPECT_EQ(field->alignment() & Qt::AlignRight, Qt::AlignRight);

  layer().SetControlText(5, "0x0 (0) ");
  ClickArrow(layer(), 5, true);
  ClickArrow(layer(), 5, true);
  ClickArrow(layer(), 5, true);  // at the maximum
  EXPECT_EQ(layer().GetControlState(5), 2);
  EXPECT_EQ(field->text(), "0x0 (0) ");
  ClickArrow(layer(), 5, false);
  EXPECT_EQ(layer().GetControlState(5), 1);
  EXPECT_EQ(PendingEvents(),
            (std::vector<ui::EventRecord>{ControlEvent(5, 4), ControlEvent(5, 5)}));

  field->setFocus();
  QTest::keyClick(field, Qt::Key_Down);
  QTest::keyClick(field, Qt::Key_Down);  // at the minimum
  QTest::keyClicks(field, "12");         // read-only: typing does nothing
  EXPECT_EQ(layer().GetControlState(5), 0);
  EXPECT_EQ(field->text(), "0x0 (0) ");
  EXPECT_EQ(PendingEvents(), std::vector<ui::EventRecord>{ControlEvent(5, 5)});
  QTest::keyClick(field, Qt::Key_Up);
  EXPECT_EQ(layer().GetControlState(5), 1);

  layer().SetControlText(5, "new");
  EXPECT_EQ(layer().GetControlState(5), 1) << "text leaves the position";
  layer().SetControlState(5, 99);
  EXPECT_EQ(layer().GetControlState(5), 2) << "held within the range";
  layer().SetControlState(5, -4);
  EXPECT_EQ(layer().GetControlState(5), 0);
  EXPECT_EQ(field->text(), "new") << "the position leaves the text";
  EXPECT_EQ(PendingEvents(), std::vector<ui::EventRecord>{ControlEvent(5, 4)});
  EXPECT_TRUE(window()->findChildren<QToolButton*>().first()->autoRepeat());
}

TEST_F(Controls, ACheckBoxHasItsNewStateWhenItsEventIsTaken) {
  layer().CreateCheckBoxControl(43, 20, 140, 30, 20, "31");
  std::vector<int> states;
  user_.Then("click the box", [this] { Click(layer(), 43); });
  user_.Then("click it again", [this] { Click(layer(), 43); });
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(layer().WaitEvent(), ui::kControlEvent);
    EXPECT_EQ(layer().EventControl(), 43);
    states.push_back(layer().GetControlState(43));
  }
  EXPECT_EQ(states, (std::vector<int>{1, 0}));
  layer().SetControlState(43, 7);
  EXPECT_EQ(layer().GetControlState(43), 1);
  EXPECT_TRUE(PendingEvents().empty());
}

TEST_F(Controls, DisabledControlsTakeNoInputAndRaiseNothing) {
  layer().CreateCheckBoxControl(10, 20, 90, 30, 20, "31");
  layer().CreateButtonControl(107, 200, 400, 200, 25, "N E W");
  layer().CreateSpinControl(1, 50, 30, 150, 25, 0, 255, ui::kSpinReadOnly);
  for (int id : {10, 107, 1}) layer().DisableControl(id, 1);
  Click(layer(), 10);
  Click(layer(), 107);
  ClickArrow(layer(), 1, true);
  EXPECT_EQ(layer().GetControlState(10), 0);
  EXPECT_EQ(layer().GetControlState(1), 0);
  EXPECT_TRUE(PendingEvents().empty());
  EXPECT_FALSE(window()->findChildren<QToolButton*>().first()->isEnabled()) << "arrows follow";
  layer().DisableControl(107, 0);
  Click(layer(), 107);
  EXPECT_EQ(PendingEvents(), std::vector<ui::EventRecord>{ControlEvent(107)});
}

TEST_F(Controls, AListKeepsInsertionOrderAndNeverScrollsSideways) {
  layer().CreateListControl(110, 10, 230, 590, 160);
  auto* list = qobject_cast<QListWidget*>(Widget(layer(), 110));
  ASSERT_NE(list, nullptr);
  layer().AddListItem(110, -1, "first");
  layer().AddListItem(110, -1, "second");
  layer().AddListItem(110, -1, "third " + std::string(300, 'x'));
  layer().AddListItem(110, 0, "zero");
  ASSERT_EQ(list->count(), 4);
  EXPECT_EQ(list->item(0)->text(), "zero");
  EXPECT_EQ(list->item(1)->text(), "first");
  EXPECT_EQ(list->item(2)->text(), "second");
  EXPECT_EQ(list->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);
  EXPECT_TRUE(PendingEvents().empty()) << "adding lines raises nothing";
  list->setCurrentRow(3);
  list->scrollToItem(list->item(3));
  QTest::keyClick(list, Qt::Key_Right);
  EXPECT_EQ(list->horizontalScrollBar()->value(), 0);
  EXPECT_FALSE(PendingEvents().empty()) << "selection changes are control events";
}

// Lines given to a shown, empty list go in as one batch: the view has placed them all when it
// next draws, takes a key or a selection, and hears of a line after the batch.
TEST_F(Controls, ABatchOfLinesIsPlacedBeforeTheListDrawsOrTakesAKey) {
  const auto shown_and_filled = [this](int id) {
    layer().CreateListControl(id, 10, 230, 590, 160);
    QApplication::processEvents();
    for (int i = 0; i < 40; ++i) layer().AddListItem(id, -1, "Line " + std::to_string(i));
    return qobject_cast<QListWidget*>(Widget(layer(), id));
  };
  QListWidget* list = shown_and_filled(110);
  const QImage drawn = list->viewport()->grab().toImage();
  int dark = 0;
  for (int y = 0; y < drawn.height(); ++y) {
    for (int x = 0; x < drawn.width(); ++x) dark += qGray(drawn.pixel(x, y)) < 96;
  }
  EXPECT_GT(dark, 100) << "the first drawing shows the lines";
  layer().AddListItem(110, -1, "Line 40");
  QApplication::processEvents();
  EXPECT_FALSE(list->visualItemRect(list->item(40)).isEmpty()) << "the line after the batch";

  list = shown_and_filled(112);
  QTest::keyClick(list, Qt::Key_Down);  // the first key only makes line 0 current
  QTest::keyClick(list, Qt::Key_End);
  EXPECT_TRUE(list->viewport()->rect().contains(list->visualItemRect(list->item(39))));

  list = shown_and_filled(113);
  layer().SelectListLine(113, 30);
  EXPECT_TRUE(list->viewport()->rect().contains(list->visualItemRect(list->item(30))));
}

TEST_F(Controls, TabWalksTheEnabledControlsInCreationOrderAndWraps) {
  layer().CreateButtonControl(108, 600, 400, 200, 25, "E X I T");
  layer().CreateTextControl(0, 50, 10, 150, 20, "label", ui::kTextCentred);
  layer().CreateSpinControl(1, 50, 30, 150, 25, 0, 255, ui::kSpinReadOnly);
  layer().CreateButtonControl(107, 200, 400, 200, 25, "N E W");
  layer().CreateOptionControl(9, 780, 65, 70, 15, "DWord");
  layer().CreateOptionControl(10, 850, 65, 70, 15, "Word");
  layer().DisableControl(107, 1);
  Widget(layer(), 108)->setFocus();
  std::vector<QWidget*> seen;
  for (int i = 0; i < 4; ++i) {
    QTest::keyClick(window()->focusWidget(), Qt::Key_Tab);
    seen.push_back(window()->focusWidget());
  }
  EXPECT_EQ(seen, (std::vector<QWidget*>{Widget(layer(), 1), Widget(layer(), 9),
                                         Widget(layer(), 10), Widget(layer(), 108)}));
  QTest::keyClick(window()->focusWidget(), Qt::Key_Backtab);
  EXPECT_EQ(window()->focusWidget(), Widget(layer(), 10));
}

// An option or a bit box takes a click anywhere in its box (right of a short caption too) and
// tells screen readers what it is; an option group goes with its last option.
TEST_F(Controls, OptionsAndBoxesTakeAClickAnywhereInTheirBoxAndSayWhatTheyAre) {
  layer().CreateOptionControl(9, 780, 65, 70, 15, "DWord");
  layer().CreateOptionControl(11, 920, 65, 70, 15, "Byte");
  layer().CreateCheckBoxControl(50, 585, 140, 30, 20, "0");
  for (int id : {11, 50}) {
    QWidget* w = Widget(layer(), id);
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(w->width() - 2, w->height() / 2));
    EXPECT_EQ(layer().GetControlState(id), 1) << id;
  }
  EXPECT_EQ(QAccessible::queryAccessibleInterface(Widget(layer(), 9))->role(),
            QAccessible::RadioButton);
  EXPECT_EQ(QAccessible::queryAccessibleInterface(Widget(layer(), 50))->role(),
            QAccessible::CheckBox);
  layer().FreeControl(9);
  EXPECT_EQ(window()->findChildren<QButtonGroup*>().size(), 1);
  layer().FreeControl(11);
  EXPECT_TRUE(window()->findChildren<QButtonGroup*>().isEmpty());
}

// Activating the window focuses no control: the first Tab goes to the first control.
TEST_F(Controls, TheWindowStartsWithNoControlFocused) {
  layer().CreateListControl(110, 10, 230, 590, 160);
  layer().CreateButtonControl(107, 200, 400, 200, 25, "N E W");
  window()->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window()));
  EXPECT_EQ(window()->focusWidget(), window());
  QTest::keyClick(window(), Qt::Key_Tab);
  EXPECT_EQ(window()->focusWidget(), Widget(layer(), 110));
}

TEST_F(Controls, OneOfEachKindForTheEye) {
  const ui::FontHandle large = layer().MakeFont(1, "Arial", 9);
  const ui::FontHandle small = layer().MakeFont(0, "Arial", 7);
  layer().CreateTextControl(0, 50, 10, 150, 20, "Bus-Nr. (0x00-0xFF)", ui::kTextCentred);
  layer().CreateSpinControl(1, 50, 30, 150, 25, 0, 255, ui::kSpinReadOnly);
  layer().SetControlText(1, "0x00 (0) ");
  layer().CreateButtonControl(8, 400, 80, 200, 45, "R E A D");
  layer().CreateOptionControl(9, 780, 65, 70, 15, "DWord");
  layer().SetControlState(9, 1);
  for (int k = 0; k < 8; ++k) {
    layer().CreateCheckBoxControl(43 + k, 375 + 30 * k, 140, 30, 20, std::to_string(7 - k));
    layer().SetControlState(43 + k, k % 3 == 0);
    layer().SetControlFont(43 + k, small);
  }
  layer().CreateListControl(110, 10, 230, 590, 160);
  for (int i = 0; i < 20; ++i) layer().AddListItem(110, -1, "Line " + std::to_string(i));
  for (int id : {0, 1, 8, 9, 110}) layer().SetControlFont(id, large);
  const QString dir = QString(QBUS_SCREENSHOT_DIR);
  QDir().mkpath(dir);
  EXPECT_TRUE(window()->grab().save(dir + "/controls.png"));
}

}  // namespace
}  // namespace qbus::test
