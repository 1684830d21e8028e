// SPDX-License-Identifier: GPL-3.0-or-later
// Register read at each width, the bit editor, write and verify, and NEW SELECTION.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>

#include "controls/control_table.h"
#include "tests/app/program_fixture.h"

namespace qbus::test {
namespace {

using namespace controls;

// One function, 00:03.1, with registers for each edge: 0x40 holds 0, 0x44 all-ones, 0x48 a high
// DWord bit, 0x4E a high Word bit, 0x4F a high Byte bit.
constexpr char kDump[] =
    "00:03.1 Test device: one function\n"
    "00: 86 80 34 12 00 00 10 00 01 00 00 ff 00 00 00 00\n"
    "10: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n"
    "20: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n"
    "30: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n"
    "40: 00 00 00 00 ff ff ff ff 00 00 00 80 00 00 00 80\n";

class RegisterCycle : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    UseDump(kDump);
  }

  // Checks a whole row's boxes: numbers, places, captions, font and enabled state.
  void ExpectRowLayout(ControlId first, int bits, int left, int y, bool enabled) {
    for (int k = 0; k < bits; ++k) {
      SCOPED_TRACE(first + k);
      auto* box = qobject_cast<QCheckBox*>(Widget(layer(), first + k));
      ASSERT_NE(box, nullptr);
      EXPECT_EQ(box->geometry(), QRect(left + 30 * k, y, 30, 20));
      EXPECT_EQ(box->text().toInt(), bits - 1 - k);
      EXPECT_EQ(box->font().pixelSize(), 9);
      EXPECT_EQ(box->isEnabled(), enabled);
    }
    if (bits < 32) {
      EXPECT_FALSE(layer().ControlExists(first + bits)) << "the row ends there";
    }
  }

  void NewSelection() {
    user_.Then("NEW SELECTION", [this] { Click(layer(), kNewSelectionButton); });
  }
};

const std::string kPlace = "(Bus=0x00 (0), Device=0x03 (3), Function=0x1 (1), Address=";

TEST_F(RegisterCycle, ReadsEachWidthAndShowsTheValueUnsigned) {
  SelectAndRead(kDWordOption, 0x10);
  user_.Then("DWord zero", [this] {
    EXPECT_EQ(Text(kReadLine), "Read-DWord " + kPlace +
                                   "0x0040 (64)) :  Hex: 00000000    Bin: 00000000 00000000 "
                                   "00000000 00000000    Dec: 0");
    EXPECT_EQ(Box(kReadLine), QRect(10, 70, 980, 20));
    EXPECT_EQ(FontSize(kReadLine), 12);
    EXPECT_EQ(Row(kReadRowFirst, 32), std::string(32, '0'));
    ExpectRowLayout(kReadRowFirst, 32, 20, 90, false);
    for (ControlId id : {kBusSelector, kDeviceSelector, kFunctionSelector, kOffsetSelector}) {
      EXPECT_FALSE(Enabled(id));
    }
    EXPECT_EQ(Text(kOffsetSelector), "0x0040 (64) ") << "the field keeps its blank";
    EXPECT_EQ(Text(kBusLabel), "Bus-Nr. (0x00-0xFF)");
    EXPECT_TRUE(Enabled(kNewSelectionButton));
    auto* window = ui::LayerTestAccess::MainWindow(layer());
    EXPECT_TRUE(window->findChildren<QRadioButton*>().isEmpty()) << "the width options are gone";
    EXPECT_EQ(Text(kWriteButton), "W R I T E") << "READ made way for WRITE";
  });
  NewSelection();
  user_.Then("fresh again", [this] {
    EXPECT_EQ(Text(kDeviceSelector), "0x00 (0) ");
    EXPECT_EQ(Text(kOffsetLabel), "Address (0x0000-0xFFFC)");
    EXPECT_EQ(layer().GetControlState(kDWordOption), 1);
    EXPECT_FALSE(Enabled(kNewSelectionButton));
    EXPECT_FALSE(layer().ControlExists(kWriteLine));
  });
  SelectAndRead(kDWordOption, 0x11);
  user_.Then("DWord all ones", [this] {
    EXPECT_EQ(Text(kReadLine), "Read-DWord " + kPlace +
                                   "0x0044 (68)) :  Hex: FFFFFFFF    Bin: 11111111 11111111 "
                                   "11111111 11111111    Dec: 4294967295");
    EXPECT_EQ(Row(kReadRowFirst, 32), std::string(32, '1'));
  });
  NewSelection();
  SelectAndRead(kWordOption, 0x27);
  user_.Then("Word high bit", [this] {
    EXPECT_EQ(Text(kReadLine),
              "Read-Word " + kPlace +
                  "0x004E (78)) :  Hex: 8000    Bin: 10000000 00000000    Dec: 32768");
    EXPECT_EQ(Row(kReadRowFirst, 16), "1000000000000000");
    ExpectRowLayout(kReadRowFirst, 16, 250, 90, false);
  });
  NewSelection();
  SelectAndRead(kByteOption, 0x45);
  user_.Then("Byte all ones", [this] {
    EXPECT_EQ(Text(kReadLine),
              "Read-Byte " + kPlace + "0x0045 (69)) :  Hex: FF    Bin: 11111111    Dec: 255");
    ExpectRowLayout(kReadRowFirst, 8, 375, 90, false);
    Click(layer(), kExitButton);
  });
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(AccessLines(), (std::vector<std::string>{
                               "InitializeOls -> 0x1",
                               "ReadPciConfigDwordEx 0x19 0x40 -> 0x1 0x0",
                               "ReadPciConfigDwordEx 0x19 0x44 -> 0x1 0xFFFFFFFF",
                               "ReadPciConfigWordEx 0x19 0x4E -> 0x1 0x8000",
                               "ReadPciConfigByteEx 0x19 0x45 -> 0x1 0xFF",
                               "DeinitializeOls",
                           }));
}

TEST_F(RegisterCycle, EditsBitsWritesAndShowsWhatTheRegisterTook) {
  SelectAndRead(kDWordOption, 0x10);
  user_.Then("bit 31", [this] {
    EXPECT_EQ(Text(kWriteLine), "Write-DWord " + kPlace +
                                    "0x0040 (64)) :  Hex: 00000000    Bin: 00000000 00000000 "
                                    "00000000 00000000    Dec: 0");
    ExpectRowLayout(kEditRowFirst, 32, 20, 140, true);
    EXPECT_EQ(Box(kWriteButton), QRect(400, 170, 200, 25));
    Click(layer(), kEditRowFirst);
  });
  user_.Then("bit 30", [this] {
    EXPECT_NE(Text(kWriteLine)
                  .find("Hex: 80000000    Bin: 10000000 00000000 00000000 00000000"
                        "    Dec: 2147483648"),
              std::string::npos);
    Click(layer(), kEditRowFirst + 1);
  });
  user_.Then("bit 31 off", [this] {
    EXPECT_NE(Text(kWriteLine).find("Hex: C0000000"), std::string::npos);
    EXPECT_NE(Text(kWriteLine).find("Dec: 3221225472"), std::string::npos);
    Click(layer(), kEditRowFirst);
  });
  user_.Then("bit 31 on again", [this] {
    EXPECT_NE(Text(kWriteLine).find("Hex: 40000000"), std::string::npos);
    EXPECT_NE(Text(kWriteLine).find("Dec: 1073741824"), std::string::npos);
    Click(layer(), kEditRowFirst);
  });
  user_.Then("bit 31 off again, WRITE", [this] {
    EXPECT_NE(Text(kWriteLine).find("Hex: C0000000"), std::string::npos);
    Click(layer(), kEditRowFirst);
    Click(layer(), kEditRowFirst + 31);
  });
  user_.Then("WRITE", [this] { Click(layer(), kWriteButton); });
  user_.Then("written and verified", [this] {
    const std::string written = "Hex: 40000001    Bin: 01000000 00000000 00000000 00000001";
    EXPECT_NE(Text(kWriteLine).find(written), std::string::npos);
    EXPECT_EQ(Text(kTestLine),
              "Test: Read-DWord " + kPlace + "0x0040 (64)) :  " + written + "    Dec: 1073741825");
    EXPECT_EQ(Box(kTestLine), QRect(10, 170, 980, 20));
    EXPECT_EQ(Row(kEditRowFirst, 32), "01" + std::string(29, '0') + "1");
    ExpectRowLayout(kEditRowFirst, 32, 20, 140, false);
    EXPECT_EQ(Row(kVerifyRowFirst, 32), "01" + std::string(29, '0') + "1");
    ExpectRowLayout(kVerifyRowFirst, 32, 20, 190, false);
    Click(layer(), kDeviceList);  // ignored in the final wait
  });
  NewSelection();
  // The command register keeps only some of its bits: write all-ones at Word.
  user_.Then("Word", [this] { Click(layer(), kWordOption); });
  user_.Then("offset 4", [this] { PressInSelector(kOffsetSelector, Qt::Key_Up, 2); });
  user_.Then("READ", [this] { Click(layer(), kReadButton); });
  user_.Then("check every box", [this] {
    ExpectRowLayout(kEditRowFirst, 16, 250, 140, true);
    for (int k = 0; k < 16; ++k) Click(layer(), kEditRowFirst + k);
  });
  user_.Then("the events of 16 boxes", [] {});
  user_.Then("WRITE", [this] {
    EXPECT_NE(Text(kWriteLine).find("Hex: FFFF    Bin: 11111111 11111111    Dec: 65535"),
              std::string::npos);
    Click(layer(), kWriteButton);
  });
  user_.Then("the register kept its own bits", [this] {
    EXPECT_EQ(Text(kTestLine),
              "Test: Read-Word (Bus=0x00 (0), Device=0x00 (0), Function=0x0 (0), "
              "Address=0x0004 (4)) :  Hex: 0777    Bin: 00000111 01110111    "
              "Dec: 1911");
    EXPECT_EQ(Row(kVerifyRowFirst, 16), "0000011101110111");
    EXPECT_EQ(Row(kEditRowFirst, 16), std::string(16, '1'));
  });
  NewSelection();
  user_.Then("READ unchanged", [this] { Click(layer(), kReadButton); });
  user_.Then("WRITE unchanged", [this] { Click(layer(), kWriteButton); });
  user_.Then("EXIT", [this] { Click(layer(), kExitButton); });
  UseDump(std::string(kDump) + "\n00:00.0 Host: command register\n00: 86 80 30 3e 00 00 10 00\n");
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(AccessLines(), (std::vector<std::string>{
                               "InitializeOls -> 0x1",
                               "ReadPciConfigDwordEx 0x19 0x40 -> 0x1 0x0",
                               "WritePciConfigDwordEx 0x19 0x40 0x40000001 -> 0x1",
                               "ReadPciConfigDwordEx 0x19 0x40 -> 0x1 0x40000001",
                               "ReadPciConfigWordEx 0x0 0x4 -> 0x1 0x0",
                               "WritePciConfigWordEx 0x0 0x4 0xFFFF -> 0x1",
                               "ReadPciConfigWordEx 0x0 0x4 -> 0x1 0x777",
                               "ReadPciConfigDwordEx 0x0 0x0 -> 0x1 0x3E308086",
                               "WritePciConfigDwordEx 0x0 0x0 0x3E308086 -> 0x1",
                               "ReadPciConfigDwordEx 0x0 0x0 -> 0x1 0x3E308086",
                               "DeinitializeOls",
                           }));
}

TEST_F(RegisterCycle, NewSelectionWhileEditingWritesNothingAndKeepsTheDeviceList) {
  QString chosen_line;
  user_.Then("choose a device line", [this, &chosen_line] {
    auto* list = static_cast<QListWidget*>(Widget(layer(), kDeviceList));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(0)).center());
    chosen_line = list->currentItem()->text();
  });
  SelectAndRead(kByteOption, 0x4F);
  user_.Then("edit a bit", [this] {
    EXPECT_EQ(Row(kEditRowFirst, 8), "10000000");
    ExpectRowLayout(kEditRowFirst, 8, 375, 140, true);
    Click(layer(), kEditRowFirst + 7);
  });
  NewSelection();
  user_.Then("a fresh form, the list as it was", [this, &chosen_line] {
    std::vector<int> expected;
    for (int id = 0; id <= 11; ++id) expected.push_back(id);
    for (int id : {107, 108}) expected.push_back(id);
    for (int id = 110; id <= 123; ++id) expected.push_back(id);
    EXPECT_EQ(LiveControls(), expected);
    EXPECT_EQ(Text(kFunctionSelector), "0x0 (0) ");
    EXPECT_EQ(layer().GetControlState(kDWordOption), 1);
    auto* list = static_cast<QListWidget*>(Widget(layer(), kDeviceList));
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), chosen_line);
    // The line the user selected stays selected, though the form points at 00:00.0 again.
    EXPECT_EQ(list->currentRow(), 0);
    ASSERT_EQ(list->selectedItems().size(), 1);
    EXPECT_EQ(list->selectedItems().front()->text(), chosen_line);
    Click(layer(), kNewSelectionButton);  // disabled on the form: nothing happens
  });
  user_.Then("EXIT", [this] { Click(layer(), kExitButton); });
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(AccessLines(), (std::vector<std::string>{"InitializeOls -> 0x1",
                                                     "ReadPciConfigByteEx 0x19 0x4F -> 0x1 0x80",
                                                     "DeinitializeOls"}));
}

// Each cycle frees what it made: over 100 rounds of READ and NEW SELECTION the window holds as
// many objects as after the first (option groups included).
TEST_F(RegisterCycle, ObjectsStayFlatOverAHundredCycles) {
  const auto objects = [this] {
    return ui::LayerTestAccess::MainWindow(layer())->findChildren<QObject*>().size();
  };
  qsizetype after_first = 0;
  for (int cycle = 1; cycle <= 100; ++cycle) {
    user_.Then("READ", [this, cycle, &after_first, &objects] {
      if (cycle == 2) after_first = objects();  // the form again, after one whole cycle
      Click(layer(), kReadButton);
    });
    user_.Then("NEW SELECTION", [this] { Click(layer(), kNewSelectionButton); });
  }
  user_.Then("count, EXIT", [this, &after_first, &objects] {
    EXPECT_EQ(objects(), after_first);
    Click(layer(), kExitButton);
  });
  EXPECT_EQ(Run(), 0);
}

}  // namespace
}  // namespace qbus::test
