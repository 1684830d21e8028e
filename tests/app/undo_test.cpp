// SPDX-License-Identifier: GPL-3.0-or-later
// Undoing the last write: offered after a write the library took, and only then; it writes the
// value READ showed back through the same records, write and read-back, once.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>

#include "tests/app/program_fixture.h"

namespace qbus::test {
namespace {

using namespace controls;

constexpr const char* kDump = kScratchFunctionDump;

class Undo : public ProgramTest {
 protected:
  // The Test line's "Undo the write", or null when it is not offered.
  QAction* UndoAction() {
    if (!layer().ControlExists(kTestLine)) return nullptr;
    for (QAction* action : Widget(layer(), kTestLine)->actions()) {
      if (action->text() == "Undo the write" && action->isEnabled()) return action;
    }
    return nullptr;
  }
  void PressCtrlZ() { PressShortcut(Qt::Key_Z); }
  std::vector<std::string> AfterRead() {
    const auto lines = AccessLines();
    return {lines.begin() + 2, lines.end()};
  }
};

TEST_F(Undo, WritesTheValueReadBackOnceWithItsRecords) {
  UseDump(kDump);
  std::vector<std::string> log;
  environment_.record_write = [&log](const std::string& line) { log.push_back(line); };
  AnswerMessageBoxes();
  SelectAndRead(kDWordOption, 0x10);
  user_.Then("Ctrl+Z while editing writes nothing", [this] {
    PressCtrlZ();
    Click(layer(), kEditRowFirst + 31);
  });
  user_.Then("WRITE", [this] { Click(layer(), kWriteButton); });
  user_.Then("undo from the menu", [this] {
    ASSERT_NE(UndoAction(), nullptr);
    EXPECT_EQ(UndoAction()->shortcut(), QKeySequence(QKeySequence::Undo));
    UndoAction()->trigger();
  });
  user_.Then("written back", [this] {
    EXPECT_NE(Text(kWriteLine).find("Hex: 12345678"), std::string::npos) << Text(kWriteLine);
    EXPECT_NE(Text(kTestLine).find("Hex: 12345678"), std::string::npos) << Text(kTestLine);
    EXPECT_EQ(Row(kVerifyRowFirst, 32), "00010010001101000101011001111000");
    EXPECT_EQ(Row(kEditRowFirst, 32), "00010010001101000101011001111000") << "as the Write line";
    EXPECT_EQ(UndoAction(), nullptr) << "only once";
    PressCtrlZ();
  });
  user_.Then("EXIT", [this] { Click(layer(), kExitButton); });
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(AfterRead(), (std::vector<std::string>{
                             "WritePciConfigDwordEx 0x19 0x40 0x12345679 -> 0x1",
                             "ReadPciConfigDwordEx 0x19 0x40 -> 0x1 0x12345679",
                             "WritePciConfigDwordEx 0x19 0x40 0x12345678 -> 0x1",
                             "ReadPciConfigDwordEx 0x19 0x40 -> 0x1 0x12345678",
                             "DeinitializeOls",
                         }));
  const std::string place = "write 00:03.1 offset=0x0040 width=DWord ";
  EXPECT_EQ(log, (std::vector<std::string>{
                     place + "before=0x12345678 value=0x12345679",
                     place + "before=0x12345678 value=0x12345679 after=0x12345679 result=ok",
                     place + "before=0x12345679 value=0x12345678",
                     place + "before=0x12345679 value=0x12345678 after=0x12345678 result=ok",
                 }));
  EXPECT_EQ(messages_,
            (std::vector<std::string>{
                "Undo the write|There is nothing to undo: nothing has been written in this cycle.",
                "Undo the write|There is nothing more to undo: the write has been undone. The "
                "journal of writes (Ctrl+J) writes back any earlier value."}));
}

TEST_F(Undo, CtrlZUndoesAsTheMenuDoes) {
  UseDump(kDump);
  SelectAndRead(kDWordOption, 0x10);
  user_.Then("bit 0", [this] { Click(layer(), kEditRowFirst + 31); });
  user_.Then("WRITE", [this] { Click(layer(), kWriteButton); });
  user_.Then("Ctrl+Z", [this] { PressCtrlZ(); });
  user_.Then("EXIT", [this] { Click(layer(), kExitButton); });
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(AfterRead()[2], "WritePciConfigDwordEx 0x19 0x40 0x12345678 -> 0x1");
}

// A write the register only partly took: the undo's "before" is what it read back (0x0777 of
// the command register's writable bits), not the value the user composed (0xFFFF).
TEST_F(Undo, StartsFromWhatTheRegisterTookNotFromTheEdit) {
  UseDump(kDump);
  std::vector<std::string> records;
  environment_.record_write = [&records](const std::string& line) { records.push_back(line); };
  SelectAndRead(kWordOption, 2);
  user_.Then("every bit", [this] {
    for (int k = 0; k < 16; ++k) Click(layer(), kEditRowFirst + k);
  });
  user_.Then("WRITE", [this] { Click(layer(), kWriteButton); });
  user_.Then("Ctrl+Z", [this] { PressCtrlZ(); });
  user_.Then("EXIT", [this] { Click(layer(), kExitButton); });
  EXPECT_EQ(Run(), 0);
  const std::string place = "write 00:03.1 offset=0x0004 width=Word ";
  EXPECT_EQ(records, (std::vector<std::string>{
                         place + "before=0x0000 value=0xFFFF",
                         place + "before=0x0000 value=0xFFFF after=0x0777 result=ok",
                         place + "before=0x0777 value=0x0000",
                         place + "before=0x0777 value=0x0000 after=0x0000 result=ok",
                     }));
}

// Where there is no write to undo, nothing is offered and Ctrl+Z writes nothing.
struct NoUndoRow {
  const char* name;
  bool unprivileged;
  int position;  // DWord position of the register
};

class NoUndo : public Undo, public ::testing::WithParamInterface<NoUndoRow> {};

TEST_P(NoUndo, IsOfferedAndCtrlZWritesNothing) {
  const NoUndoRow& row = GetParam();
  UseDump(kDump);
  if (row.unprivileged) setenv("QUORILBUS_SIM_UNPRIVILEGED", "1", 1);
  AnswerMessageBoxes();
  SelectAndRead(kDWordOption, row.position);
  user_.Then("WRITE if offered", [this] {
    if (layer().ControlExists(kWriteButton)) Click(layer(), kWriteButton);
  });
  user_.Then("no undo", [this] {
    EXPECT_EQ(UndoAction(), nullptr);
    PressCtrlZ();
  });
  user_.Then("EXIT", [this] { Click(layer(), kExitButton); });
  EXPECT_EQ(Run(), 0);
  unsetenv("QUORILBUS_SIM_UNPRIVILEGED");
  const auto lines = AccessLines();
  EXPECT_LE(std::count_if(lines.begin(), lines.end(),
                          [](const std::string& line) { return line.rfind("Write", 0) == 0; }),
            1)
      << "at most the refused write";
  EXPECT_EQ(messages_, std::vector<std::string>{"Undo the write|There is nothing to undo: nothing "
                                                "has been written in this cycle."});
}

INSTANTIATE_TEST_SUITE_P(Rows, NoUndo,
                         ::testing::Values(NoUndoRow{"RefusedWrite", true, 0x0F},
                                           NoUndoRow{"FailedRead", false, 0x40}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace qbus::test
