// SPDX-License-Identifier: GPL-3.0-or-later
// Go to register, Find device and Set value: each way to filter or type, each way out, and what
// reaches the library (capability reads only, and only the value the user wrote).
#include <gtest/gtest.h>

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QTimer>

#include "tests/app/program_fixture.h"

namespace qbus::test {
namespace {

using namespace controls;

class Dialogs : public ProgramTest {
 protected:
  std::vector<std::string> Writes() {
    std::vector<std::string> writes;
    for (const std::string& line : AccessLines()) {
      if (line.rfind("Write", 0) == 0) writes.push_back(line);
    }
    return writes;
  }
};

// 01:00.0 of tests/dumps/express.dump: PM at 0x60, MSI at 0x68, PCI Express at 0x78 (Link Status
// at 0x8A), AER at 0x100.
struct GoToRow {
  const char* name;
  const char* typed;
  Qt::Key out;  // Enter takes, Escape leaves; Key_unknown: the close box
  ControlId option;
  const char* caption;
  const char* label;
};

class GoTo : public Dialogs, public ::testing::WithParamInterface<GoToRow> {};

TEST_P(GoTo, SetsTheWidthAndAddressAsTheUsersClicksWould) {
  const GoToRow& row = GetParam();
  setenv("QUORILBUS_SIM_DUMP", QBUS_TEST_DUMPS "/express.dump", 1);
  user_.Then("bus 1, Ctrl+G", [this, &row] {
    PressInSelector(kBusSelector, Qt::Key_Up, 1);
    OnNextDialog(
        [&row](QDialog* dialog, QLineEdit* field) {
          QTest::keyClicks(field, row.typed);
          if (row.out == Qt::Key_unknown) {
            dialog->close();
          } else {
            QTest::keyClick(field, row.out);
          }
        },
        row.name == std::string("by name") ? "go-to-register" : "");
    PressShortcut(Qt::Key_G);
  });
  user_.Then("the form", [this, &row] {
    EXPECT_EQ(layer().GetControlState(row.option), 1);
    EXPECT_EQ(Text(kOffsetSelector), row.caption);
    EXPECT_EQ(Text(kOffsetLabel), row.label);
    Click(layer(), kExitButton);
  });
  EXPECT_EQ(Run(), 0);
  EXPECT_TRUE(Writes().empty());
  const auto lines = AccessLines();
  EXPECT_EQ(lines[1], "ReadPciConfigByteEx 0x100 0xE -> 0x1 0x0")
      << "the layout, read for the list";
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GoTo,
    ::testing::Values(GoToRow{"by name", "link status", Qt::Key_Return, kWordOption,
                              "0x008A (138) ", "Address (0x0000-0xFFFE)"},
                      GoToRow{"by hex offset", "8a", Qt::Key_Return, kWordOption, "0x008A (138) ",
                              "Address (0x0000-0xFFFE)"},
                      GoToRow{"by 0x offset", "0x104", Qt::Key_Return, kDWordOption,
                              "0x0104 (260) ", "Address (0x0000-0xFFFC)"},
                      GoToRow{"a byte register", "interrupt line", Qt::Key_Return, kByteOption,
                              "0x003C (60) ", "Address (0x0000-0xFFFF)"},
                      GoToRow{"Escape", "link status", Qt::Key_Escape, kDWordOption, "0x0000 (0) ",
                              "Address (0x0000-0xFFFC)"}),
    [](const auto& info) {
      std::string name = info.param.name;
      for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
      }
      return name;
    });

// After READ the form is gone: Go to register and Find device are greyed in their menus and their
// keys say why; after NEW SELECTION they work again.
TEST_F(Dialogs, GoToAndFindSayWhyTheyWaitForTheNextForm) {
  AnswerMessageBoxes();
  const auto entry = [this](ControlId id, const char* text) {
    for (QAction* action : Widget(layer(), id)->actions()) {
      if (action->text() == text) return action->isEnabled() ? 1 : 0;
    }
    return -1;  // not in the menu
  };
  user_.Then("READ", [this] { Click(layer(), kReadButton); });
  user_.Then("Ctrl+G, Ctrl+F", [&] {
    EXPECT_EQ(entry(kOffsetSelector, "Go to register..."), 0);
    EXPECT_EQ(entry(kDeviceList, "Find device..."), 0);
    PressShortcut(Qt::Key_G);
    PressShortcut(Qt::Key_F);
    Click(layer(), kNewSelectionButton);
  });
  user_.Then("Ctrl+G on the new form", [&] {
    EXPECT_EQ(entry(kOffsetSelector, "Go to register..."), 1);
    EXPECT_EQ(entry(kDeviceList, "Find device..."), 1);
    OnNextDialog([](QDialog* dialog, QLineEdit*) {
      EXPECT_EQ(dialog->windowTitle().toStdString(), "Go to register");
      dialog->reject();
    });
    PressShortcut(Qt::Key_G);
  });
  user_.Then("EXIT", [this] { Click(layer(), kExitButton); });
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(messages_,
            (std::vector<std::string>{
                "Go to register|Go to register sets the selection form: press NEW SELECTION first.",
                "Find device|Find device sets the selection form: press NEW SELECTION first."}));
}

TEST_F(Dialogs, GoToReadsEachFunctionsLayoutOnce) {
  setenv("QUORILBUS_SIM_DUMP", QBUS_TEST_DUMPS "/express.dump", 1);
  const auto escape = [](QDialog*, QLineEdit* field) { QTest::keyClick(field, Qt::Key_Escape); };
  user_.Then("bus 1, Ctrl+G", [&] {
    PressInSelector(kBusSelector, Qt::Key_Up, 1);
    OnNextDialog(escape);
    PressShortcut(Qt::Key_G);
  });
  user_.Then("again", [&] {
    OnNextDialog(escape);
    PressShortcut(Qt::Key_G);
  });
  user_.Then("EXIT", [this] { Click(layer(), kExitButton); });
  EXPECT_EQ(Run(), 0);
  const auto lines = AccessLines();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "ReadPciConfigByteEx 0x100 0xE -> 0x1 0x0"), 1);
}

TEST_F(Dialogs, FindDeviceSelectsTheLineAndTheFunction) {
  setenv("QUORILBUS_SIM_DUMP", QBUS_TEST_DUMPS "/names.dump", 1);
  user_.Then("Ctrl+F", [this] {
    OnNextDialog(
        [](QDialog* dialog, QLineEdit* field) {
          QTest::keyClicks(field, "104c:ac56");
          EXPECT_EQ(dialog->findChild<QListView*>()->model()->rowCount(), 1);
          QTest::keyClick(field, Qt::Key_Return);
        },
        "find-device");
    PressShortcut(Qt::Key_F);
  });
  user_.Then("02:00.0", [this] {
    EXPECT_EQ(Text(kBusSelector), "0x02 (2) ");
    EXPECT_EQ(Text(kDeviceSelector), "0x00 (0) ");
    EXPECT_EQ(Text(kFunctionSelector), "0x0 (0) ");
    auto* list = static_cast<QListWidget*>(Widget(layer(), kDeviceList));
    EXPECT_EQ(list->currentRow(), 2);
    OnNextDialog([](QDialog* dialog, QLineEdit* field) {
      QTest::keyClicks(field, "00:1c.0");
      EXPECT_EQ(dialog->findChild<QListView*>()->model()->rowCount(), 1);
      QTest::keyClick(field, Qt::Key_Escape);
    });
    PressShortcut(Qt::Key_F);
  });
  user_.Then("Escape leaves it", [this] {
    EXPECT_EQ(Text(kBusSelector), "0x02 (2) ");
    Click(layer(), kExitButton);
  });
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(AccessLines().size(), 2u) << "finding reads nothing";
}

TEST_F(Dialogs, SetValueTakesAHexValueOfTheWidthAndRefusesTheRest) {
  UseDump(kScratchFunctionDump);
  SelectAndRead(kWordOption, 0x20);  // 0x40 at Word width: 0x5678
  user_.Then("Ctrl+E", [this] {
    OnNextDialog(
        [](QDialog* dialog, QLineEdit* field) {
          const struct {
            const char* typed;
            const char* reason;
          } kRefused[] = {
              {"xyz", "Not a hex value: type hex digits, such as 0xFFFF"},
              {"12345", "Too wide for a Word register: at most 0xFFFF"},
              {"", "Not a hex value: type hex digits, such as 0xFFFF"},
          };
          for (const auto& [typed, reason] : kRefused) {
            field->setText(typed);
            QTest::keyClick(field, Qt::Key_Return);
            EXPECT_TRUE(dialog->isVisible()) << typed;
            bool shown = false;
            for (QLabel* label : dialog->findChildren<QLabel*>()) shown |= label->text() == reason;
            EXPECT_TRUE(shown) << typed;
          }
          field->setText(" 0x00fF ");
          QTest::keyClick(field, Qt::Key_Return);
        },
        "set-value");
    PressShortcut(Qt::Key_E);
  });
  user_.Then("the value", [this] {
    EXPECT_NE(Text(kWriteLine).find("Hex: 00FF"), std::string::npos) << Text(kWriteLine);
    EXPECT_EQ(Row(kEditRowFirst, 16), "0000000011111111");
    OnNextDialog([](QDialog*, QLineEdit* field) {
      field->setText("1234");
      QTest::keyClick(field, Qt::Key_Escape);
    });
    PressShortcut(Qt::Key_E);
  });
  user_.Then("Escape changes nothing; WRITE", [this] {
    EXPECT_EQ(Row(kEditRowFirst, 16), "0000000011111111");
    Click(layer(), kWriteButton);
  });
  user_.Then("EXIT", [this] { Click(layer(), kExitButton); });
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(Writes(), std::vector<std::string>{"WritePciConfigWordEx 0x19 0x40 0xFF -> 0x1"});
}

}  // namespace
}  // namespace qbus::test
