// SPDX-License-Identifier: GPL-3.0-or-later
// The function view's decoded tree and what it leads to: a register handed to the selection form
// (and refused after READ), the marks of a watch and of a compared copy as a screen reader hears
// them, and the bus tree.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QAccessible>
#include <QCheckBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTest>
#include <QTreeView>

#include "tests/app/program_fixture.h"

namespace qbus::test {
namespace {

using namespace controls;
using DecodedView = ProgramTest;

// 01:00.0 of tests/dumps/express.dump: Command 0x0007, PCI Express at 0x78 with Link Control
// 0x0140 at 0x88 and Link Status 0x1101 at 0x8A, AER at 0x100.
constexpr char kExpress[] = QBUS_TEST_DUMPS "/express.dump";

// The line of the tree reached by names from the top: {"PCI Express", "Link Status"}.
std::string Description(const QModelIndex& index) {
  return index.data(Qt::AccessibleDescriptionRole).toString().toStdString();
}

QPushButton* Button(QDialog* dialog, const char* text) {
  for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
    if (button->text() == text) return button;
  }
  return nullptr;
}

// The marks line as a screen reader hears it: its accessible name.
std::string Marks(QDialog* dialog) {
  auto* label = dialog->findChild<QLabel*>("marks");
  if (label == nullptr) return "(none)";
  if (!label->isVisible()) return "(hidden)";
  return QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name).toStdString();
}

// Writes a word of the simulated machine the program has loaded, as the hardware changing.
void MachineWritesWord(uint32_t location, uint32_t offset, uint16_t value) {
  void* library = dlopen(QBUS_SIM_LIBRARY, RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(library, nullptr);
  using Write = uint32_t (*)(uint32_t, uint32_t, uint16_t);
  auto write = reinterpret_cast<Write>(dlsym(library, "WritePciConfigWordEx"));
  ASSERT_NE(write, nullptr);
  EXPECT_EQ(write(location, offset, value), 1u);
  dlclose(library);
}

// The view as the README shows it: the tree opened at `line`, the table at `byte`.
void Picture(QDialog* dialog, const QModelIndex& line, const QModelIndex& byte, const char* name) {
  auto* tree = dialog->findChild<QTreeView*>();
  tree->setCurrentIndex(line);
  tree->scrollTo(line, QAbstractItemView::PositionAtCenter);
  dialog->findChild<QTableView*>()->setCurrentIndex(byte);
  QDir().mkpath(QBUS_SCREENSHOT_DIR);
  dialog->grab().save(QString(QBUS_SCREENSHOT_DIR "/") + name + ".png");
}

struct TreeGoToRow {
  const char* name;
  std::vector<const char*> path;
  ControlId option;
  const char* caption;
};

class GoToFromTheTree : public DecodedView, public ::testing::WithParamInterface<TreeGoToRow> {};

// Opened from the device list with the selectors still at bus 0: Enter on a line sets the
// function too, and the view closes.
TEST_P(GoToFromTheTree, SetsTheFormToTheRegister) {
  const TreeGoToRow& row = GetParam();
  setenv("QUORILBUS_SIM_DUMP", kExpress, 1);
  user_.Then("View function... on 01:00.0", [&] {
    layer().SelectListLine(kDeviceList, 0);
    OnNextDialog([&](QDialog* dialog, QLineEdit*) {
      auto* tree = dialog->findChild<QTreeView*>();
      const QModelIndex line = TreeLine(tree->model(), row.path);
      ASSERT_TRUE(line.isValid());
      tree->setCurrentIndex(line);
      tree->setFocus();
      QTest::keyClick(tree, Qt::Key_Return);
      EXPECT_FALSE(dialog->isVisible()) << "the view stays open";
    });
    ListCommand("View function...")->trigger();
  });
  user_.Then("the form", [&] {
    EXPECT_EQ(Text(kBusSelector), "0x01 (1) ");
    EXPECT_EQ(layer().GetControlState(row.option), 1);
    EXPECT_EQ(Text(kOffsetSelector), row.caption);
    Click(layer(), kExitButton);
  });
  EXPECT_EQ(Run(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GoToFromTheTree,
    ::testing::Values(TreeGoToRow{"AFieldTakesItsRegister",
                                  {"PCI Express", "Link Status", "Current Link Speed"},
                                  kWordOption,
                                  "0x008A (138) "},
                      TreeGoToRow{"ADwordRegister",
                                  {"Advanced Error Reporting", "Uncorrectable Error Status"},
                                  kDWordOption,
                                  "0x0104 (260) "},
                      TreeGoToRow{
                          "AByteRegister", {"Header", "Revision ID"}, kByteOption, "0x0008 (8) "}),
    [](const auto& info) { return std::string(info.param.name); });

// After READ the form is gone: the view says so, as Ctrl+G does, and stays open.
TEST_F(DecodedView, AfterReadTheFormRefusesTheRegister) {
  setenv("QUORILBUS_SIM_DUMP", kExpress, 1);
  AnswerMessageBoxes();
  user_.Then("bus 1, READ", [this] {
    PressInSelector(kBusSelector, Qt::Key_Up, 1);
    Click(layer(), kReadButton);
  });
  user_.Then("Ctrl+D, Enter on Command", [&] {
    OnNextDialog([&](QDialog* dialog, QLineEdit*) {
      auto* tree = dialog->findChild<QTreeView*>();
      ASSERT_NE(tree, nullptr) << dialog->windowTitle().toStdString();
      tree->setCurrentIndex(TreeLine(tree->model(), {"Header", "Command"}));
      QTest::keyClick(tree, Qt::Key_Return);
      EXPECT_TRUE(dialog->isVisible());
      dialog->reject();
    });
    PressShortcut(Qt::Key_D);
  });
  user_.Then("EXIT", [this] { Click(layer(), kExitButton); });
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(messages_, std::vector<std::string>{"Go to register|Go to register sets the "
                                                "selection form: press NEW SELECTION first."});
}

// Link Control changes between two readings of a watch: the byte, the register and the field
// say so, the next reading clears the marks, and only whole-function reads were made.
TEST_F(DecodedView, AWatchMarksWhatChangedSinceTheLastReading) {
  setenv("QUORILBUS_SIM_DUMP", kExpress, 1);
  size_t watch_start = 0, reads_when_closed = 0;
  user_.Then("bus 1, Ctrl+D", [&] {
    PressInSelector(kBusSelector, Qt::Key_Up, 1);
    OnNextDialog([&](QDialog* dialog, QLineEdit*) {
      auto* tree = dialog->findChild<QTreeView*>();
      const QAbstractItemModel* lines = tree->model();
      const QAbstractItemModel* bytes = dialog->findChild<QTableView*>()->model();
      auto* interval = dialog->findChild<QSpinBox*>();
      auto* watch = dialog->findChild<QCheckBox*>();
      interval->setValue(50);
      EXPECT_EQ(interval->value(), 100) << "no faster than 100 ms";
      EXPECT_EQ(Marks(dialog), "(hidden)");
      const size_t unticked = AccessLines().size();
      QTest::qWait(300);
      EXPECT_EQ(AccessLines().size(), unticked) << "an interval change started the watch";

      MachineWritesWord(0x100, 0x88, 0x0142);  // ASPM Control: L1
      watch_start = AccessLines().size();
      watch->click();
      ASSERT_TRUE(QTest::qWaitFor([&] { return AccessLines().size() > watch_start; }, 5000));
      EXPECT_EQ(Marks(dialog), "Since the last reading: 1 byte and 1 field changed.");
      EXPECT_EQ(Description(TreeLine(lines, {"PCI Express", "Link Control"})),
                "Changed since the last reading (was 0x0140). 0x88, 0x0142, ASPM Control L1, "
                "Common Clock "
                "Configuration, Enable Clock Power Management");
      EXPECT_EQ(Description(TreeLine(lines, {"PCI Express", "Link Control", "ASPM Control"})),
                "Changed since the last reading (was 0x0). bits 1-0, 0x2, read-write, L1");
      EXPECT_EQ(Description(TreeLine(lines, {"PCI Express", "Link Status", "Current Link Speed"})),
                "bits 3-0, 0x1, read-only, 2.5 GT/s");
      EXPECT_EQ(Description(bytes->index(8, 8)),
                "Changed since the last reading (was 0x40). PCI Express Link Control (0x88)");
      Picture(dialog, TreeLine(lines, {"PCI Express", "Link Control", "ASPM Control"}),
              bytes->index(8, 8), "function-view-watch");

      const size_t first = AccessLines().size();
      ASSERT_TRUE(QTest::qWaitFor([&] { return AccessLines().size() > first; }, 5000));
      EXPECT_EQ(Marks(dialog), "Since the last reading: 0 bytes and 0 fields changed.");
      EXPECT_EQ(Description(TreeLine(lines, {"PCI Express", "Link Control"})),
                "0x88, 0x0142, ASPM Control L1, Common Clock Configuration, Enable Clock Power "
                "Management");
      interval->setValue(60000);
      const size_t slowed = AccessLines().size();
      QTest::qWait(500);
      EXPECT_LE(AccessLines().size(), slowed + 1) << "the watch kept its old interval";
      dialog->reject();
      reads_when_closed = AccessLines().size();
    });
    PressShortcut(Qt::Key_D);
  });
  user_.Then("EXIT", [&] {
    EXPECT_EQ(AccessLines().size(), reads_when_closed) << "the watch ended with the view";
    Click(layer(), kExitButton);
  });
  EXPECT_EQ(Run(), 0);
  const std::vector<std::string> lines = AccessLines();
  ASSERT_GE(lines.size(), reads_when_closed);
  for (size_t i = watch_start; i < reads_when_closed; ++i) {
    EXPECT_EQ(lines[i], "ReadPciConfigSpaceEx 0x100 0x1000 -> 0x1000") << "the watch read " << i;
  }
}

std::string ExpressWith(std::initializer_list<std::pair<std::string, std::string>> swaps) {
  std::ifstream in(kExpress);
  std::string text{std::istreambuf_iterator<char>(in), {}};
  for (const auto& [from, to] : swaps) {
    const size_t at = text.find(from);
    if (at != std::string::npos) text.replace(at, from.size(), to);
  }
  return text;
}

// express.dump's 01:00.0 with all 4096 bytes: all-ones from 0x140 on, as the machine reads
// them, but for the last byte, `last`.
std::string WholeExpress(const char* last) {
  std::string text = ExpressWith({});
  char row[64];
  for (uint32_t offset = 0x140; offset < 0x1000; offset += 16) {
    std::snprintf(row, sizeof row, "%x: ff ff ff ff ff ff ff ff ff ff ff ff ff ff ff %s\n", offset,
                  offset == 0xFF0 ? last : "ff");
    text += row;
  }
  return text;
}

// The peak memory of this process so far, in MiB.
long PeakMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024;
}

struct CopyRow {
  const char* name;
  std::string copy;     // the file's text
  std::string marks;    // the marks line, the copy's path as "PATH"
  std::string message;  // the start of the message a refused copy gives (path as "PATH"), or empty
  uint64_t size = 0;    // the file made this long with zeros after the text; 0: the text alone
};

class CompareWithCopy : public DecodedView, public ::testing::WithParamInterface<CopyRow> {};

TEST_P(CompareWithCopy, MarksWhatDiffers) {
  const CopyRow& row = GetParam();
  setenv("QUORILBUS_SIM_DUMP", kExpress, 1);
  const std::filesystem::path copy = dir_.path() / "copy.txt";
  std::ofstream(copy) << row.copy;
  if (row.size != 0) std::filesystem::resize_file(copy, row.size);
  const auto as_path = [&copy](std::string text) {
    const size_t path = text.find(copy.string());
    if (path != std::string::npos) text.replace(path, copy.string().size(), "PATH");
    return text;
  };
  AnswerMessageBoxes();
  user_.Then("bus 1, Ctrl+D, Compare with copy...", [&] {
    PressInSelector(kBusSelector, Qt::Key_Up, 1);
    OnNextDialog([&](QDialog* dialog, QLineEdit*) {
      const QAbstractItemModel* lines = dialog->findChild<QTreeView*>()->model();
      const QAbstractItemModel* bytes = dialog->findChild<QTableView*>()->model();
      SaveTo(copy);  // the open dialog takes a name as the save dialog does
      const long peak = PeakMiB();
      Button(dialog, "Co&mpare with copy...")->click();
      EXPECT_LT(PeakMiB() - peak, 64) << "the copy was held in memory";
      EXPECT_EQ(as_path(Marks(dialog)), row.marks);
      if (row.name == std::string("TwoBytesOfTheSameFunction")) {
        EXPECT_EQ(Description(TreeLine(lines, {"Header", "Command", "Bus Master Enable"})),
                  "Differs from the copy (0 there). bit 2, 1, read-write");
        EXPECT_EQ(Description(bytes->index(0, 4)),
                  "Differs from the copy (0x03 there). Command (0x04)");
        EXPECT_EQ(Description(bytes->index(0, 5)), "Command (0x04)");
        Picture(dialog, TreeLine(lines, {"Header", "Command", "Bus Master Enable"}),
                bytes->index(0, 4), "function-view-compare");
        Button(dialog, "Stop co&mparing")->click();
        EXPECT_EQ(Marks(dialog), "(hidden)");
      }
      dialog->reject();
    });
    PressShortcut(Qt::Key_D);
  });
  user_.Then("EXIT", [this] { Click(layer(), kExitButton); });
  EXPECT_EQ(Run(), 0);
  if (row.message.empty()) {
    EXPECT_TRUE(messages_.empty());
  } else {
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(as_path(messages_[0]).substr(0, row.message.size()), row.message);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CompareWithCopy,
    ::testing::Values(
        // Command 0x0007 -> 0x0003 and Link Status speed 1 -> 2: two bytes, two fields.
        CopyRow{"TwoBytesOfTheSameFunction",
                ExpressWith({{"00: de 10 44 12 07", "00: de 10 44 12 03"},
                             {"80: 10 28 19 00 12 1d 01 00 40 01 01 11",
                              "80: 10 28 19 00 12 1d 01 00 40 01 02 11"}}),
                "Against the copy of 01:00.0 in PATH: 2 bytes and 2 fields differ. The copy holds "
                "320 of "
                "4096 bytes.",
                ""},
        // No 01:00.0 in the copy: its first function is compared.
        CopyRow{
            "AnotherFunction", "00:1f.3 Audio device\n00: 86 80 48 a3 06 00 10 00\n",
            "Against the copy of 00:1f.3 in PATH: 5 bytes and 3 fields differ. The copy holds 8 "
            "of 4096 bytes.",
            ""},
        CopyRow{"NotACopy", "hello\n", "(hidden)", "Compare with copy|"},
        // Bytes 0x00 to 0x06 and row 0xF0 alone: the rest are holes, not all-ones that differ,
        // and Status (0x06, 0x07) is held only in part.
        CopyRow{"AHoleIsNoDifference",
                "01:00.0 VGA compatible controller: graphics card\n"
                "00: de 10 44 12 03 00 10\n"
                "f0: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n",
                "Against the copy of 01:00.0 in PATH: 1 byte and 1 field differ. The copy holds 23 "
                "of 4096 bytes.",
                ""},
        // Longer than the other copies: it holds every byte, and the last one differs.
        CopyRow{"TheLastByteOfAWholeCopy", WholeExpress("00"),
                "Against the copy of 01:00.0 in PATH: 1 byte and 0 fields differ.", ""},
        // The longest line a copy may have, blanks after its bytes, ends the file unfinished.
        CopyRow{"ALongestLineAtTheEnd",
                ExpressWith({{"130: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n",
                              "130: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 01" +
                                  std::string(1024 - 52, ' ')}}),
                "Against the copy of 01:00.0 in PATH: 1 byte and 0 fields differ. The copy holds "
                "320 of 4096 bytes.",
                ""},
        CopyRow{"ALineTooLong", std::string(1025, '#') + "\n" + ExpressWith({}), "(hidden)",
                "Compare with copy|Cannot compare with the copy: PATH:1: longer than the 1024 "
                "bytes a dump line may have."},
        // 1 GiB without a line feed: refused after its first block, not read whole.
        CopyRow{"AGibibyteWithoutALineFeed", "", "(hidden)",
                "Compare with copy|Cannot compare with the copy: PATH:1: longer than the 1024 "
                "bytes a dump line may have.",
                uint64_t{1} << 30}),
    [](const auto& info) { return std::string(info.param.name); });

// A bus tree line's location and bus numbers, without the names: "00:1c.0 [01-03]".
std::string Head(const std::string& text) {
  std::istringstream words(text);
  std::string first, second;
  words >> first >> second;
  return !second.empty() && second[0] == '[' ? first + " " + second : first;
}

// The bus tree of the hierarchy dump, by keyboard: End moves to the last function and selects
// its line in the device list.
TEST_F(DecodedView, TheBusTreeShowsWhatSitsBehindEachBridge) {
  setenv("QUORILBUS_SIM_DUMP", QBUS_TEST_DUMPS "/hierarchy.dump", 1);
  std::vector<std::string> shown;
  user_.Then("Bus tree...", [&] {
    OnNextDialog(
        [&](QDialog* dialog, QLineEdit*) {
          auto* tree = dialog->findChild<QTreeView*>();
          for (QModelIndex at = tree->model()->index(0, 0); at.isValid();
               at = tree->indexBelow(at)) {
            int depth = 0;
            for (QModelIndex up = at.parent(); up.isValid(); up = up.parent()) ++depth;
            shown.push_back(std::string(depth, ' ') + Head(at.data().toString().toStdString()));
          }
          EXPECT_EQ(tree->accessibleName(), "Bus tree");
          QTest::keyClick(tree, Qt::Key_End);
          EXPECT_EQ(layer().CurrentListValue(kDeviceList), 0x00FB) << "00:1f.3";
          QTest::keyClick(tree, Qt::Key_Escape);
        },
        "bus-tree");
    ListCommand("Bus tree...")->trigger();
  });
  user_.Then("EXIT", [this] { Click(layer(), kExitButton); });
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(shown,
            (std::vector<std::string>{
                "[0000:00]", " 00:00.0", " 00:1c.0 [01-03]", "  01:00.0 [02-03]", "   02:00.0 [03]",
                "    03:00.0", " 00:1d.0 [04]", "  04:00.0", "  04:00.1", " 00:1f.0", " 00:1f.3"}));
}

}  // namespace
}  // namespace qbus::test
