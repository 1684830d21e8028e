// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <stdlib.h>
#include <string>
#include <vector>

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QTimer>

#include "app/program.h"
#include "controls/control_table.h"
#include "tests/support/scripted_user.h"
#include "tests/support/temp_dir.h"
#include "ui/window_layer.h"

namespace qbus::test {

// 00:03.1 with 256 bytes of configuration space: 0x3C holds 0x00, 0x40 holds 0x12345678 in
// device-specific space, which takes any write.
constexpr char kScratchFunctionDump[] =
    "00:03.1 Test device: one function\n"
    "00: 86 80 34 12 00 00 10 00 01 00 00 ff 00 00 00 00\n"
    "30: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n"
    "40: 78 56 34 12\n";

// The line of a tree model reached by `path`, one name a level ("PCI Express", "Device
// Control", "Max Read Request Size"); invalid when a name is not there.
inline QModelIndex TreeLine(const QAbstractItemModel* model, const std::vector<const char*>& path) {
  QModelIndex at;
  for (const char* name : path) {
    const QModelIndexList found =
        model->match(model->index(0, 0, at), Qt::DisplayRole, name, 1, Qt::MatchExactly);
    if (found.isEmpty()) return {};
    at = found.first();
  }
  return at;
}

// Runs the whole program in-process against the simulated machine (loaded by its absolute
// path), played by a scripted user, with the library's trace in a temporary file.
class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    trace_ = (dir_.path() / "trace.txt").string();
    setenv("QUORILBUS_SIM_TRACE", trace_.c_str(), 1);
    unsetenv("QUORILBUS_SIM_DUMP");
    unsetenv("QUORILBUS_SIM_INIT");
  }
  void TearDown() override {
    unsetenv("QUORILBUS_SIM_TRACE");
    unsetenv("QUORILBUS_SIM_DUMP");
    unsetenv("QUORILBUS_SIM_INIT");
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
  }

  // Makes the simulated machine from dump text.
  void UseDump(const std::string& text) {
    const std::string path = (dir_.path() / "machine.dump").string();
    std::ofstream(path) << text;
    setenv("QUORILBUS_SIM_DUMP", path.c_str(), 1);
  }

  // Runs the program to its end; the script's steps run while it waits.
  int Run(int dots_per_inch = 96, const std::string& library = QBUS_SIM_LIBRARY) {
    layer_ = std::make_unique<ui::WindowLayer>(user_.Options(dots_per_inch));
    user_.Attach(layer_.get());
    const int code = app::RunProgram(*layer_, library, environment_);
    if (after_program_) after_program_();
    EXPECT_TRUE(user_.Finished()) << "steps left when the program ended";
    layer_.reset();
    return code;
  }

  ui::WindowLayer& layer() { return *layer_; }

  // The text a control shows: a label's text, a field's text or a button's caption.
  std::string Text(ui::ControlId id) {
    QWidget* w = Widget(layer(), id);
    if (auto* label = qobject_cast<QLabel*>(w)) return label->text().toStdString();
    if (auto* field = qobject_cast<QLineEdit*>(w)) return field->text().toStdString();
    if (auto* button = qobject_cast<QAbstractButton*>(w)) return button->text().toStdString();
    ADD_FAILURE() << "control " << id << " shows no text";
    return {};
  }

  // Presses Ctrl+`key` as the user would, in the active main window (a window shortcut needs
  // it active).
  void PressShortcut(Qt::Key key) {
    QWidget* window = ui::LayerTestAccess::MainWindow(layer());
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    QTest::keyClick(window, key, Qt::ControlModifier);
  }

  bool Enabled(ui::ControlId id) { return Widget(layer(), id)->isEnabled(); }
  int FontSize(ui::ControlId id) { return Widget(layer(), id)->font().pixelSize(); }
  QRect Box(ui::ControlId id) { return Widget(layer(), id)->geometry(); }

  // Numbers 0 to 123 that hold a control now.
  std::vector<int> LiveControls() {
    std::vector<int> ids;
    for (int id = 0; id <= 123; ++id) {
      if (layer().ControlExists(id)) ids.push_back(id);
    }
    return ids;
  }

  // Presses Up (or Down) `times` in a selector's field: one step of the script, so the steps'
  // identical events merge into one while they wait.
  void PressInSelector(ui::ControlId id, Qt::Key key, int times) {
    QWidget* field = Widget(layer(), id);
    for (int i = 0; i < times; ++i) QTest::keyClick(field, key);
  }

  // Script steps that pick device 3, function 1 (00:03.1, the function of the tests' dumps), the
  // width option and the offset position, then press READ.
  void SelectAndRead(ui::ControlId option, int position) {
    using namespace controls;
    user_.Then("select", [this, option] {
      PressInSelector(kDeviceSelector, Qt::Key_Up, 3);
      PressInSelector(kFunctionSelector, Qt::Key_Up, 1);
      if (option != kDWordOption) Click(layer(), option);
    });
    user_.Then("offset",
               [this, position] { PressInSelector(kOffsetSelector, Qt::Key_Up, position); });
    user_.Then("caption", [] {});  // the offset's event is taken
    user_.Then("READ", [this] { Click(layer(), kReadButton); });
  }

  // The checked states of `count` boxes from `first`, as '1' and '0'.
  std::string Row(ui::ControlId first, int count) {
    std::string bits;
    for (int id = first; id < first + count; ++id) {
      bits += layer().GetControlState(id) != 0 ? '1' : '0';
    }
    return bits;
  }

  // Saves the main window as build/screenshots/NAME.png, for people to look at.
  void SaveScreenshot(const std::string& name) {
    QDir().mkpath(QBUS_SCREENSHOT_DIR);
    auto* window = ui::LayerTestAccess::MainWindow(layer());
    EXPECT_TRUE(window->grab().save(QString(QBUS_SCREENSHOT_DIR "/") + name.c_str() + ".png"));
  }

  std::vector<std::string> TraceLines() {
    std::ifstream in(trace_);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  // The trace without the scan's port calls.
  std::vector<std::string> AccessLines() {
    std::vector<std::string> lines;
    for (const std::string& line : TraceLines()) {
      if (line.find("IoPortDwordEx") == std::string::npos) lines.push_back(line);
    }
    return lines;
  }

  // Acts on the next dialog that opens, then stops looking; `act` gets it and its text field.
  void OnNextDialog(std::function<void(QDialog*, QLineEdit*)> act, const std::string& shot = {}) {
    auto* timer = new QTimer(&answerer_);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act, shot] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr) dialog = OpenViewBeside();
      if (dialog == nullptr) return;
      timer->stop();
      timer->deleteLater();
      if (!shot.empty()) {
        QDir().mkpath(QBUS_SCREENSHOT_DIR);
        dialog->grab().save(QString(QBUS_SCREENSHOT_DIR "/") + shot.c_str() + ".png");
      }
      act(dialog, dialog->findChild<QLineEdit*>());
    });
    timer->start(10);
  }
  // Dismisses every message box that appears from now on, recording "title|text".
  void AnswerMessageBoxes() {
    QObject::connect(&answerer_, &QTimer::timeout, [this] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        messages_.push_back(box->windowTitle().toStdString() + "|" + box->text().toStdString());
        box->button(QMessageBox::Ok)->click();
      }
    });
    answerer_.start(10);
  }

  // The device list's context-menu command `text`.
  QAction* ListCommand(const char* text) {
    for (QAction* action : Widget(layer(), controls::kDeviceList)->actions()) {
      if (action->text() == text) return action;
    }
    ADD_FAILURE() << "no " << text;
    return nullptr;
  }

  // Answers the next file dialog by typing `path` as its file name and taking it.
  void SaveTo(const std::filesystem::path& path) {
    OnNextDialog([path](QDialog* dialog, QLineEdit*) {
      ASSERT_NE(qobject_cast<QFileDialog*>(dialog), nullptr) << dialog->windowTitle().toStdString();
      auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
      ASSERT_NE(name, nullptr);
      name->setText(QString::fromStdString(path.string()));
      QTest::keyClick(name, Qt::Key_Return);
    });
  }

  TempDir dir_;
  std::string trace_;
  std::function<void()> after_program_;  // runs when the program has ended, its window still there
  ScriptedUser user_;
  regs::AccessEnvironment environment_;  // not root, writes not recorded
  std::unique_ptr<ui::WindowLayer> layer_;
  std::vector<std::string> messages_;
  QTimer answerer_;
};

}  // namespace qbus::test
