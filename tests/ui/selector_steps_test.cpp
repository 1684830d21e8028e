// SPDX-License-Identifier: GPL-3.0-or-later
// How far one key or a held arrow moves a selector (0 to 255), one row per edge.
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>

#include "tests/ui/layer_fixture.h"

namespace qbus::test {
namespace {

struct StepRow {
  const char* name;
  int start;
  Qt::Key key;  // a key in the field; Qt::Key_unknown: the up arrow held down
  int presses;  // the first is a press, the rest repeats of a held key or arrow
  int expected;
};

constexpr StepRow kRows[] = {
    {"Up once", 7, Qt::Key_Up, 1, 8},
    {"Page Up from mid-range", 100, Qt::Key_PageUp, 1, 116},
    {"Page Down from mid-range", 100, Qt::Key_PageDown, 1, 84},
    {"Page Down near the minimum", 5, Qt::Key_PageDown, 1, 0},
    {"Page Up near the maximum", 250, Qt::Key_PageUp, 1, 255},
    {"End", 3, Qt::Key_End, 1, 255},
    {"Home", 200, Qt::Key_Home, 1, 0},
    // Held: repeats 1-7 step 1, 8-23 step 4, from 24 on 16.
    {"held Up, 8 presses", 0, Qt::Key_Up, 8, 8},
    {"held Up, 10 presses", 0, Qt::Key_Up, 10, 16},
    {"held Down, 26 presses", 255, Qt::Key_Down, 26, 255 - (8 + 16 * 4 + 2 * 16)},
    {"held up arrow, 10 repeats", 0, Qt::Key_unknown, 10, 7 + 3 * 4},
};

class SelectorSteps : public LayerTest, public ::testing::WithParamInterface<StepRow> {};

TEST_P(SelectorSteps, MoveByTheirStep) {
  const StepRow& row = GetParam();
  layer().CreateSpinControl(5, 10, 10, 120, 20, 0, 255, ui::kSpinReadOnly);
  layer().SetControlState(5, row.start);
  QWidget* field = Widget(layer(), 5);
  if (row.key == Qt::Key_unknown) {
    // A held arrow emits clicked again while it is still down.
    QToolButton* up = window()->findChildren<QToolButton*>().first();
    up->setDown(true);
    for (int i = 0; i < row.presses; ++i)
      QMetaObject::invokeMethod(up, "clicked", Q_ARG(bool, false));
    up->setDown(false);
  } else {
    for (int i = 0; i < row.presses; ++i) {
      QKeyEvent press(QEvent::KeyPress, row.key, Qt::NoModifier, QString(), i > 0);
      QApplication::sendEvent(field, &press);
    }
  }
  EXPECT_EQ(layer().GetControlState(5), row.expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, SelectorSteps, ::testing::ValuesIn(kRows), [](const auto& info) {
  std::string name = info.param.name;
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name;
});

}  // namespace
}  // namespace qbus::test
