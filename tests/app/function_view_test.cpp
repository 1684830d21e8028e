// SPDX-License-Identifier: GPL-3.0-or-later
// The function view and the saved copies: what the view shows and reads, that a saved file reads
// back the same through lspci -F and through the simulated machine, and that a refused save
// says why and leaves nothing behind.
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <tuple>

#include <QPushButton>
#include <QTableView>

#include "config_space/function_dump.h"
#include "hw/library_binding.h"
#include "register/register_access.h"
#include "tests/app/program_fixture.h"
#include "tests/support/run_command.h"

namespace qbus::test {
namespace {

using namespace controls;
using Functions = std::map<std::string, std::vector<uint8_t>>;

// The functions of dump text by location ("01:00.0", any domain left out), with the bytes its
// hex lines give.
Functions ParseDump(const std::string& text) {
  Functions functions;
  std::vector<uint8_t>* bytes = nullptr;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line.size() >= 12 && line[4] == ':' && line[7] == ':' && line[10] == '.') {
      bytes = &functions[line.substr(5, 7)];
    } else if (line.size() >= 7 && line[2] == ':' && line[5] == '.') {
      bytes = &functions[line.substr(0, 7)];
    } else if (bytes != nullptr && line.find(": ") != std::string::npos && isxdigit(line[0])) {
      std::istringstream hex(line.substr(line.find(": ") + 2));
      for (std::string byte; hex >> byte;)
        bytes->push_back(static_cast<uint8_t>(stoi(byte, nullptr, 16)));
    }
  }
  return functions;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Each function of `dump` (empty: the built-in machine) as the simulated machine reads it.
Functions ThroughTheSimulatedMachine(const std::string& dump) {
  if (dump.empty()) {
    unsetenv("QUORILBUS_SIM_DUMP");
  } else {
    setenv("QUORILBUS_SIM_DUMP", dump.c_str(), 1);
  }
  hw::LoadedLibrary library;
  Functions functions;
  if (!hw::BindFile(
          QBUS_SIM_LIBRARY, [](const std::string&, const std::string&) {}, &library)) {
    ADD_FAILURE() << "cannot load the simulated machine";
    return functions;
  }
  for (uint32_t location = 0; location < 0x10000; ++location) {
    std::vector<uint8_t> bytes = regs::ReadFunctionSpace(library.access, location).bytes;
    if (bytes.empty()) continue;
    functions[config_space::LocationText(location)] = std::move(bytes);
  }
  hw::Unbind(&library);
  return functions;
}

using FunctionView = ProgramTest;

// 01:00.0 of tests/dumps/express.dump has 4096 bytes: PCI Express at 0x78, AER at 0x100.
TEST_F(FunctionView, ShowsTheWholeFunctionWithNamesRefreshesAndSaves) {
  setenv("QUORILBUS_SIM_DUMP", QBUS_TEST_DUMPS "/express.dump", 1);
  const std::filesystem::path saved = dir_.path() / "one.txt";
  size_t reads_at_opening = 0;
  user_.Then("bus 1, Ctrl+D", [&] {
    PressInSelector(kBusSelector, Qt::Key_Up, 1);
    OnNextDialog(
        [&](QDialog* dialog, QLineEdit*) {
          reads_at_opening = AccessLines().size();
          EXPECT_EQ(dialog->windowTitle().toStdString().substr(0, 34),
                    "01:00.0 VGA compatible controller:");
          const QAbstractItemModel* bytes = dialog->findChild<QTableView*>()->model();
          ASSERT_EQ(bytes->rowCount(), 256);
          EXPECT_EQ(bytes->data(bytes->index(0, 0)).toString(), "DE");
          EXPECT_EQ(bytes->headerData(0x10, Qt::Vertical).toString(), "100");
          EXPECT_EQ(bytes->headerData(0xF, Qt::Horizontal).toString(), "F");
          const QModelIndex status = bytes->index(8, 0xA);
          EXPECT_EQ(bytes->data(status, Qt::ToolTipRole).toString(),
                    "PCI Express Link Status (0x8A)");
          EXPECT_EQ(bytes->data(status, Qt::AccessibleDescriptionRole),
                    bytes->data(status, Qt::ToolTipRole));
          EXPECT_EQ(bytes->data(status, Qt::AccessibleTextRole).toString(), "0x08A: 01");
          EXPECT_EQ(dialog->findChild<QLabel*>()->text(),
                    "4096 bytes, with the extended configuration space");
          auto* table = dialog->findChild<QTableView*>();
          EXPECT_EQ(table->currentIndex(), bytes->index(0, 0)) << "the view opens on byte 0";
          // The offset field moves to a byte the reading holds, and to no other.
          auto* jump = dialog->findChild<QLineEdit*>();
          for (const auto& [typed, row, column] :
               {std::tuple{"0x1a7", 0x1A, 7}, std::tuple{"fff", 0xFF, 0xF},
                std::tuple{"1000", 0xFF, 0xF}, std::tuple{"zz", 0xFF, 0xF}}) {
            jump->setText(typed);
            QTest::keyClick(jump, Qt::Key_Return);
            EXPECT_EQ(table->currentIndex(), bytes->index(row, column)) << typed;
          }
          EXPECT_TRUE(dialog->isVisible()) << "Enter in the field took a button";
          table->setCurrentIndex(status);
          for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
            if (button->text() == "&Refresh") button->click();
          }
          EXPECT_EQ(AccessLines().size(), reads_at_opening + 1) << "Refresh reads again";
          EXPECT_EQ(AccessLines().back(), "ReadPciConfigSpaceEx 0x100 0x1000 -> 0x1000");
          EXPECT_EQ(table->currentIndex(), status) << "and keeps the byte the user is on";
          SaveTo(saved);
          for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
            if (button->text() == "&Save...") button->click();
          }
          dialog->reject();
        },
        "function-view");
    PressShortcut(Qt::Key_D);
  });
  user_.Then("EXIT", [this] { Click(layer(), kExitButton); });
  EXPECT_EQ(Run(), 0);
  // InitializeOls, then one whole-function read, then the same again.
  EXPECT_EQ(reads_at_opening, 2u);
  for (const std::string& line : AccessLines()) {
    EXPECT_EQ(line.rfind("Write", 0), std::string::npos) << line;
  }
  const Functions file = ParseDump(ReadFile(saved));
  ASSERT_EQ(file.size(), 1u);
  EXPECT_EQ(file.begin()->first, "01:00.0");
  EXPECT_EQ(file, ThroughTheSimulatedMachine(QBUS_TEST_DUMPS "/express.dump"));
}

// Save all, for the built-in machine and each dump the tests hold, every domain included: the
// file holds every byte the functions hold, lspci -F prints it back exactly (the lines that name
// the functions included), and the simulated machine reads it back the same.
struct SaveAllRow {
  const char* dump;  // empty: the built-in machine
  const char* domain;
};

class SaveAll : public FunctionView, public ::testing::WithParamInterface<SaveAllRow> {};

TEST_P(SaveAll, TheFileReadsBackTheSame) {
  const std::string dump =
      *GetParam().dump == '\0' ? "" : QBUS_TEST_DUMPS "/" + std::string(GetParam().dump);
  if (!dump.empty()) setenv("QUORILBUS_SIM_DUMP", dump.c_str(), 1);
  setenv("QUORILBUS_SIM_DOMAIN", GetParam().domain, 1);
  const std::filesystem::path saved = dir_.path() / "all.txt";
  AnswerMessageBoxes();
  user_.Then("Save all", [&] {
    SaveTo(saved);
    ListCommand("Save all...")->trigger();
  });
  user_.Then("EXIT", [this] { Click(layer(), kExitButton); });
  EXPECT_EQ(Run(), 0);
  const std::string text = ReadFile(saved);
  const Functions file = ParseDump(text);
  EXPECT_TRUE(messages_.empty()) << messages_.front();
  EXPECT_EQ(file, ThroughTheSimulatedMachine(dump)) << "the file holds what the functions hold";
  EXPECT_EQ(RunCommand("lspci -xxxx -F " + saved.string()), text);
  EXPECT_EQ(ThroughTheSimulatedMachine(saved.string()), file);
  unsetenv("QUORILBUS_SIM_DOMAIN");
}

INSTANTIATE_TEST_SUITE_P(Dumps, SaveAll,
                         ::testing::Values(SaveAllRow{"", ""}, SaveAllRow{"express.dump", ""},
                                           SaveAllRow{"names.dump", ""},
                                           SaveAllRow{"messy.dump", ""},
                                           SaveAllRow{"domains.dump", "1"}),
                         [](const auto& info) {
                           std::string name = *info.param.dump ? info.param.dump : "builtin";
                           name = name.substr(0, name.find('.')) + info.param.domain;
                           return name;
                         });

// The commands that read through the library are withdrawn before the library is released.
TEST_F(FunctionView, CommandsGoWithTheLibrary) {
  const auto texts = [this](ui::ControlId id) {
    std::vector<std::string> found;
    QWidget* widget = id == ui::WindowLayer::kWindowCommand
                          ? ui::LayerTestAccess::MainWindow(layer())
                          : Widget(layer(), id);
    for (QAction* action : widget->actions()) found.push_back(action->text().toStdString());
    return found;
  };
  user_.Then("offered", [&] {
    EXPECT_EQ(texts(kDeviceList),
              (std::vector<std::string>{"View function...", "Save all...", "Bus tree...",
                                        "Journal of writes...", "Find device..."}));
    EXPECT_EQ(texts(ui::WindowLayer::kWindowCommand),
              (std::vector<std::string>{"Ctrl+D", "Ctrl+J"}));
    Click(layer(), kExitButton);
  });
  after_program_ = [&] {
    EXPECT_EQ(texts(kDeviceList), (std::vector<std::string>{"Find device..."}));
    EXPECT_EQ(texts(ui::WindowLayer::kWindowCommand), std::vector<std::string>{});
  };
  EXPECT_EQ(Run(), 0);
}

// A location where no function answers gets a message, not an empty view.
TEST_F(FunctionView, NoFunctionNoView) {
  AnswerMessageBoxes();
  user_.Then("00:01.0, Ctrl+D", [this] {
    PressInSelector(kDeviceSelector, Qt::Key_Up, 1);
    PressShortcut(Qt::Key_D);
  });
  user_.Then("EXIT", [this] { Click(layer(), kExitButton); });
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(messages_, (std::vector<std::string>{"View function|No function answers at 00:01.0."}));
}

// A save that cannot be made says why, and the view stays open.
TEST_F(FunctionView, ARefusedSaveSaysWhy) {
  const std::filesystem::path path = dir_.path() / "missing" / "x.txt";
  AnswerMessageBoxes();
  user_.Then("Ctrl+D, Save...", [&] {
    OnNextDialog([&](QDialog* dialog, QLineEdit*) {
      SaveTo(path);
      for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
        if (button->text() == "&Save...") button->click();
      }
      EXPECT_TRUE(dialog->isVisible());
      dialog->reject();
    });
    PressShortcut(Qt::Key_D);
  });
  user_.Then("EXIT", [this] { Click(layer(), kExitButton); });
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(messages_, (std::vector<std::string>{"Save function|Cannot write " + path.string() +
                                                 ": No such file or directory"}));
}

}  // namespace
}  // namespace qbus::test
