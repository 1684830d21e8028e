// SPDX-License-Identifier: GPL-3.0-or-later
// Setting a field by its meaning, the journal of writes, and the view beside the main window: what
// the user sees and what the simulated library is asked, line by line.
#include <fstream>
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QTreeView>

#include "tests/app/program_fixture.h"

namespace qbus::test {
namespace {

using namespace controls;

constexpr char kHierarchy[] = QBUS_TEST_DUMPS "/hierarchy.dump";

std::string FileText(const std::filesystem::path& path) {
  std::ifstream in(path);
  return {std::istreambuf_iterator<char>(in), {}};
}

QPushButton* ButtonNamed(QWidget* dialog, const char* text) {
  for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
    if (button->text() == text) return button;
  }
  return nullptr;
}

class SetField : public ProgramTest {
 protected:
  // The trace from the first line that starts with `from` on.
  std::vector<std::string> TraceFrom(const std::string& from) {
    const auto lines = AccessLines();
    auto at = std::find_if(lines.begin(), lines.end(),
                           [&](const std::string& line) { return line.rfind(from, 0) == 0; });
    return {at, lines.end()};
  }
  // Picks the line the chooser offers first for `typed`.
  void ChooseNext(const char* typed) {
    OnNextDialog([typed](QDialog*, QLineEdit* field) {
      QTest::keyClicks(field, typed);
      QTest::keyClick(field, Qt::Key_Return);
    });
  }
};

// 04:00.0 of the hierarchy holds Device Control 0x5937 (Max Read Request Size 4096 bytes) beside a
// Device Status with Correctable Error and Unsupported Request Detected set (0x0019).
TEST_F(SetField, FromTheViewOnlyTheFieldChangesAndWriteTakesIt) {
  setenv("QUORILBUS_SIM_DUMP", kHierarchy, 1);
  user_.Then("bus 4, Ctrl+D, Set field... on Max Read Request Size, 512", [&] {
    PressInSelector(kBusSelector, Qt::Key_Up, 4);
    OnNextDialog([&](QDialog* view, QLineEdit*) {
      auto* tree = view->findChild<QTreeView*>();
      const QModelIndex field =
          TreeLine(tree->model(), {"PCI Express", "Device Control", "Max Read Request Size"});
      ASSERT_TRUE(field.isValid());
      tree->setCurrentIndex(field);
      ASSERT_EQ(tree->actions().size(), 1);
      QAction* set_field = tree->actions()[0];
      EXPECT_EQ(set_field->text().toStdString(), "Set field...");
      EXPECT_EQ(set_field->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_E));
      ChooseNext("512");
      set_field->trigger();
      view->reject();
    });
    PressShortcut(Qt::Key_D);
  });
  user_.Then("read, and composed", [&] {
    EXPECT_EQ(Text(kReadLine).substr(0, 14), "Read-Word (Bus");
    EXPECT_EQ(Row(kEditRowFirst, 16), "0010100100110111");
    EXPECT_EQ(Text(kEditNote), "Max Read Request Size: 4096 bytes -> 512 bytes.");
    QWidget* write = Widget(layer(), kWriteButton);
    EXPECT_EQ(write->window()->focusWidget(), write) << "WRITE is the next key";
    Click(layer(), kWriteButton);
  });
  user_.Then("EXIT", [this] { Click(layer(), kExitButton); });
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(TraceFrom("ReadPciConfigWordEx 0x400 0x80"),
            (std::vector<std::string>{"ReadPciConfigWordEx 0x400 0x80 -> 0x1 0x5937",
                                      "WritePciConfigWordEx 0x400 0x80 0x2937 -> 0x1",
                                      "ReadPciConfigWordEx 0x400 0x80 -> 0x1 0x2937",
                                      "DeinitializeOls"}));
}

// A write-1-to-clear field, from Go to register by its name: exactly its own 1 is written; the
// other error bit set (bit 0) is written 0, and the read-only bits are as read.
TEST_F(SetField, AWriteOneToClearFieldClearsOnlyItself) {
  setenv("QUORILBUS_SIM_DUMP", kHierarchy, 1);
  user_.Then("bus 4", [this] { PressInSelector(kBusSelector, Qt::Key_Up, 4); });
  user_.Then("Ctrl+G, Unsupported Request Detected of Device Status, clear it", [&] {
    OnNextDialog([&](QDialog*, QLineEdit* field) {
      QTest::keyClicks(field, "device status: unsupported request detected");
      ChooseNext("");
      QTest::keyClick(field, Qt::Key_Return);
    });
    PressShortcut(Qt::Key_G);
  });
  user_.Then("composed", [&] {
    EXPECT_EQ(Row(kEditRowFirst, 16), "0000000000011000");
    EXPECT_EQ(Text(kEditNote),
              "Unsupported Request Detected: written 1 to clear it. Written 0 so as not to clear "
              "them: bit 0 Correctable Error Detected.");
    Click(layer(), kWriteButton);
  });
  user_.Then("EXIT", [this] { Click(layer(), kExitButton); });
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(
      TraceFrom("WritePciConfigWordEx"),
      (std::vector<std::string>{"WritePciConfigWordEx 0x400 0x82 0x18 -> 0x1",
                                "ReadPciConfigWordEx 0x400 0x82 -> 0x1 0x11", "DeinitializeOls"}));
}

// What sets nothing: a read-only field says why, and a chooser left with Escape leaves the form
// as it was. Neither reads the register.
struct NothingSetRow {
  const char* name;
  std::vector<const char*> path;
  std::vector<std::string> messages;
};

class NothingSet : public SetField, public ::testing::WithParamInterface<NothingSetRow> {};

TEST_P(NothingSet, ReadsNothingAndLeavesTheForm) {
  const NothingSetRow& row = GetParam();
  setenv("QUORILBUS_SIM_DUMP", kHierarchy, 1);
  AnswerMessageBoxes();
  user_.Then("bus 4, Ctrl+D, Set field...", [&] {
    PressInSelector(kBusSelector, Qt::Key_Up, 4);
    OnNextDialog([&](QDialog* view, QLineEdit*) {
      auto* tree = view->findChild<QTreeView*>();
      const QModelIndex field = TreeLine(tree->model(), row.path);
      ASSERT_TRUE(field.isValid());
      tree->setCurrentIndex(field);
      OnNextDialog([](QDialog* chooser, QLineEdit*) { chooser->reject(); });
      tree->actions()[0]->trigger();
      view->reject();
    });
    PressShortcut(Qt::Key_D);
  });
  user_.Then("the form as it was", [&] {
    EXPECT_TRUE(layer().ControlExists(kReadButton)) << "no READ was taken";
    Click(layer(), kExitButton);
  });
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(TraceFrom("ReadPciConfigWordEx 0x400 0x"), std::vector<std::string>{});
  EXPECT_EQ(messages_, row.messages);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, NothingSet,
    ::testing::Values(
        NothingSetRow{"AReadOnlyField",
                      {"PCI Express", "Link Capabilities", "Max Link Speed"},
                      {"Set field|Max Link Speed is read-only: a write does not change it."}},
        NothingSetRow{
            "ACancelledChoice", {"PCI Express", "Device Control", "Max Read Request Size"}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// The journal lists the write and writes back its value before, by the same road: the form,
// READ, the Edit row, WRITE.
TEST_F(SetField, TheJournalRestoresAWrite) {
  UseDump(kScratchFunctionDump);
  SelectAndRead(kDWordOption, 0x10);
  user_.Then("bit 0, WRITE", [this] {
    Click(layer(), kEditRowFirst + 31);
    Click(layer(), kWriteButton);
  });
  user_.Then("NEW SELECTION", [this] { Click(layer(), kNewSelectionButton); });
  user_.Then("Ctrl+J, Restore", [&] {
    OnNextDialog([](QDialog* journal, QLineEdit*) {
      auto* list = journal->findChild<QListWidget*>();
      ASSERT_EQ(list->count(), 1);
      EXPECT_EQ(
          list->item(0)->text().toStdString().substr(8),
          "  00:03.1 0x40 DWord: 0x12345678 -> 0x12345679, read back 0x12345679 (as written)");
      ButtonNamed(journal, "&Restore the value before")->click();
    });
    PressShortcut(Qt::Key_J);
  });
  user_.Then("composed from READ", [&] {
    EXPECT_EQ(Row(kEditRowFirst, 32), "00010010001101000101011001111000");
    EXPECT_EQ(Text(kEditNote).substr(31), ": the bits a write sets back to 0x12345678.");
    Click(layer(), kWriteButton);
  });
  user_.Then("EXIT", [this] { Click(layer(), kExitButton); });
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(
      TraceFrom("WritePciConfigDwordEx"),
      (std::vector<std::string>{
          "WritePciConfigDwordEx 0x19 0x40 0x12345679 -> 0x1",
          "ReadPciConfigDwordEx 0x19 0x40 -> 0x1 0x12345679",
          // the layout, for the journal's names
          "ReadPciConfigByteEx 0x19 0xE -> 0x1 0x0",
          "ReadPciConfigDwordEx 0x19 0x10 -> 0x1 0xFFFFFFFF",
          "ReadPciConfigDwordEx 0x19 0x14 -> 0x1 0xFFFFFFFF",
          "ReadPciConfigDwordEx 0x19 0x18 -> 0x1 0xFFFFFFFF",
          "ReadPciConfigDwordEx 0x19 0x1C -> 0x1 0xFFFFFFFF",
          "ReadPciConfigDwordEx 0x19 0x20 -> 0x1 0xFFFFFFFF",
          "ReadPciConfigDwordEx 0x19 0x24 -> 0x1 0xFFFFFFFF",
          "ReadPciConfigWordEx 0x19 0x6 -> 0x1 0x10", "ReadPciConfigByteEx 0x19 0x34 -> 0x1 0x0",
          "ReadPciConfigDwordEx 0x19 0x100 -> 0x0 0xFFFFFFFF",
          // READ, then WRITE of the value before
          "ReadPciConfigDwordEx 0x19 0x40 -> 0x1 0x12345679",
          "WritePciConfigDwordEx 0x19 0x40 0x12345678 -> 0x1",
          "ReadPciConfigDwordEx 0x19 0x40 -> 0x1 0x12345678", "DeinitializeOls"}));
}

// The view stays open beside the main window: a WRITE there shows in a watching view at once,
// and the view saves its tree as JSON.
TEST_F(SetField, AWatchingViewMarksTheMainWindowsWrite) {
  UseDump(kScratchFunctionDump);
  user_.StepBesideViews(true);
  const std::filesystem::path json = dir_.path() / "function.json";
  QPointer<QDialog> view;
  user_.Then("00:03.1, Ctrl+D, Watch", [&] {
    PressInSelector(kDeviceSelector, Qt::Key_Up, 3);
    PressInSelector(kFunctionSelector, Qt::Key_Up, 1);
    PressShortcut(Qt::Key_D);
    view = OpenViewBeside();
    ASSERT_NE(view, nullptr);
    view->findChild<QCheckBox*>()->setChecked(true);
  });
  user_.Then("the main window's READ", [&] { PressInSelector(kOffsetSelector, Qt::Key_Up, 0x10); });
  user_.Then("caption", [] {});
  user_.Then("READ", [this] { Click(layer(), kReadButton); });
  user_.Then("bit 8, WRITE", [this] {
    Click(layer(), kEditRowFirst + 23);
    Click(layer(), kWriteButton);
  });
  user_.Then("marked", [&] {
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->findChild<QLabel*>("marks")->text().toStdString(),
              "Since the last reading: 1 byte and 0 fields changed.");
    SaveTo(json);
    ButtonNamed(view, "Save as &JSON...")->click();
    view->reject();
    Click(layer(), kExitButton);
  });
  EXPECT_EQ(Run(), 0);
  const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(FileText(json)));
  EXPECT_EQ(document["location"]["text"].toString().toStdString(), "0000:00:03.1");
  EXPECT_EQ(document["bytes"].toString().mid(0x80, 8).toStdString(), "78573412") << "bit 8 written";
}

// Tab and Shift+Tab go round every control of the view, and leave the byte table and the tree in
// one step (the arrows move within them).
TEST_F(SetField, TabGoesRoundEveryControlOfTheView) {
  UseDump(kScratchFunctionDump);
  std::vector<std::string> forward, backward;
  user_.Then("00:03.1, Ctrl+D, Tab round and back", [&] {
    PressInSelector(kDeviceSelector, Qt::Key_Up, 3);
    PressInSelector(kFunctionSelector, Qt::Key_Up, 1);
    OnNextDialog([&](QDialog* view, QLineEdit*) {
      const auto focused = [view] {
        QWidget* widget = view->focusWidget();
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
          return button->text().toStdString();
        }
        while (widget != nullptr && widget->accessibleName().isEmpty()) {
          widget = widget->parentWidget();
        }
        return widget != nullptr ? widget->accessibleName().toStdString() : std::string("?");
      };
      view->findChild<QTableView*>()->setFocus();
      for (int step = 0; step < 11; ++step) {
        QTest::keyClick(view->focusWidget(), Qt::Key_Tab);
        forward.push_back(focused());
      }
      for (int step = 0; step < 2; ++step) {
        QTest::keyClick(view->focusWidget(), Qt::Key_Backtab);
        backward.push_back(focused());
      }
      view->reject();
    });
    PressShortcut(Qt::Key_D);
  });
  user_.Then("EXIT", [this] { Click(layer(), kExitButton); });
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(forward, (std::vector<std::string>{
                         "Decoded registers", "Go to offset (hex)", "&Watch, every",
                         "Watch interval", "&Refresh", "Co&mpare with copy...", "&Save...",
                         "Save as &JSON...", "Close", "Configuration space", "Decoded registers"}))
      << "Restore from copy waits for a copy";
  EXPECT_EQ(backward, (std::vector<std::string>{"Configuration space", "Close"}));
}

// Restore from copy lists the registers whose writable bits differ, writes the one ticked through
// the records, and shows what the register took.
TEST_F(SetField, RestoreFromCopyWritesWhatTheUserTicks) {
  UseDump(kScratchFunctionDump);
  const std::filesystem::path copy = dir_.path() / "copy.txt";
  std::ofstream(copy) << kScratchFunctionDump;
  std::vector<std::string> records;
  environment_.record_write = [&records](const std::string& line) { records.push_back(line); };
  SelectAndRead(kWordOption, 2);
  user_.Then("Memory Space and Bus Master Enable, WRITE", [this] {
    Click(layer(), kEditRowFirst + 13);
    Click(layer(), kEditRowFirst + 14);
    Click(layer(), kWriteButton);
  });
  user_.Then("Ctrl+D, compare with the copy, restore Command", [&] {
    OnNextDialog([&](QDialog* view, QLineEdit*) {
      SaveTo(copy);
      ButtonNamed(view, "Co&mpare with copy...")->click();
      OnNextDialog([](QDialog* restore, QLineEdit*) {
        auto* list = restore->findChild<QListWidget*>();
        ASSERT_EQ(list->count(), 1);
        EXPECT_EQ(list->item(0)->text().toStdString(), "Command (0x04): 0x0006 -> 0x0000");
        EXPECT_EQ(list->item(0)->checkState(), Qt::Unchecked) << "the user picks";
        list->item(0)->setCheckState(Qt::Checked);
        ButtonNamed(restore, "&Write chosen")->click();
        EXPECT_EQ(list->item(0)->text().toStdString(),
                  "Command (0x04): 0x0006 -> 0x0000: 0x0006 -> 0x0000, read back 0x0000 (as the "
                  "copy)");
        restore->reject();
      });
      ButtonNamed(view, "Res&tore from copy...")->click();
      view->reject();
    });
    PressShortcut(Qt::Key_D);
  });
  user_.Then("Ctrl+J: both writes, by their register", [&] {
    OnNextDialog([](QDialog* journal, QLineEdit*) {
      auto* list = journal->findChild<QListWidget*>();
      ASSERT_EQ(list->count(), 2);
      EXPECT_EQ(list->item(0)->text().toStdString().substr(8),
                "  00:03.1 0x04 Word Command: 0x0000 -> 0x0006, read back 0x0006 (as written)");
      EXPECT_EQ(list->item(1)->text().toStdString().substr(8),
                "  00:03.1 0x04 Word Command: 0x0006 -> 0x0000, read back 0x0000 (as written)");
      journal->reject();
    });
    PressShortcut(Qt::Key_J);
  });
  user_.Then("EXIT", [this] { Click(layer(), kExitButton); });
  EXPECT_EQ(Run(), 0);
  const std::string place = "write 00:03.1 offset=0x0004 width=Word ";
  EXPECT_EQ(records, (std::vector<std::string>{
                         place + "before=0x0000 value=0x0006",
                         place + "before=0x0000 value=0x0006 after=0x0006 result=ok",
                         place + "before=0x0006 value=0x0000",
                         place + "before=0x0006 value=0x0000 after=0x0000 result=ok",
                     }));
}

}  // namespace
}  // namespace qbus::test
