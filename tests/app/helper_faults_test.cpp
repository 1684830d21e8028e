// SPDX-License-Identifier: GPL-3.0-or-later
// The whole program on the elevated library, its root helper started through a stand-in for
// pkexec over a fake sysfs tree (helper_faults_test.sh sets both up in a private mount
// namespace), with the helper killed or stopped between the user's steps: READ, WRITE, the view,
// Save all and the bus tree say which, nothing is saved, and EXIT never waits for the helper.
#include <chrono>
#include <csignal>
#include <dirent.h>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include "tests/app/program_fixture.h"

namespace qbus::test {
namespace {

using namespace controls;

// The helper this process started (pkexec's stand-in execs it in place), or -1.
pid_t HelperPid() {
  DIR* proc = opendir("/proc");
  pid_t found = -1;
  while (const dirent* entry = proc ? readdir(proc) : nullptr) {
    std::ifstream stat(std::string("/proc/") + entry->d_name + "/stat");
    pid_t pid = 0, parent = 0;
    std::string name, state;
    if (stat >> pid >> name >> state >> parent && parent == getpid() &&
        name == "(quoril-bus-help)") {
      found = pid;
    }
  }
  if (proc) closedir(proc);
  return found;
}

// Kills (or stops) the helper and returns once it has ended (or stopped), so no request of the
// next step can reach it.
void Strike(int signal) {
  const pid_t helper = HelperPid();
  ASSERT_GT(helper, 0) << "no helper runs";
  ASSERT_EQ(kill(helper, signal), 0);
  for (std::string state; state != (signal == SIGKILL ? "Z" : "T");) {
    std::ifstream stat("/proc/" + std::to_string(helper) + "/stat");
    std::string pid, name;
    stat >> pid >> name >> state;
  }
}

const std::string kPlace =
    " (Bus=0x00 (0), Device=0x00 (0), Function=0x0 (0), Address=0x0040 (64)) :  ";

class HelperFaults : public ProgramTest {
 protected:
  void SetUp() override {
    if (std::getenv("QBUS_HELPER_FAULTS") == nullptr) GTEST_SKIP() << "run by its script";
    ProgramTest::SetUp();
    environment_.record_write = [this](const std::string& line) {
      window_records_.push_back(line);
    };
  }
  void TearDown() override {
    if (std::getenv("QBUS_HELPER_FAULTS") == nullptr) return;
    ProgramTest::TearDown();
    // A stopped helper is never waited for by the library; end it here.
    if (const pid_t helper = HelperPid(); helper > 0) {
      kill(helper, SIGKILL);
      waitpid(helper, nullptr, 0);
    }
  }
  // Device 0, function 0 of the fake tree; DWord at 0x40.
  void ReadAt0x40() {
    user_.Then("offset", [this] { PressInSelector(kOffsetSelector, Qt::Key_Up, 0x10); });
    user_.Then("caption", [] {});
    user_.Then("READ", [this] { Click(layer(), kReadButton); });
  }

  std::vector<std::string> window_records_;
};

TEST_F(HelperFaults, AKilledHelperIsReportedAsEndedAndNothingIsSaved) {
  const std::filesystem::path saved = dir_.path() / "all.txt";
  AnswerMessageBoxes();
  user_.Then("kill", [] { Strike(SIGKILL); });
  ReadAt0x40();
  user_.Then("Ctrl+D", [this] {
    EXPECT_EQ(Text(kReadLine), "Read-DWord" + kPlace + "Read failed: the access helper has ended");
    PressShortcut(Qt::Key_D);
  });
  user_.Then("Save all", [&] {
    SaveTo(saved);
    ListCommand("Save all...")->trigger();
  });
  user_.Then("Bus tree", [this] { ListCommand("Bus tree...")->trigger(); });
  user_.Then("EXIT", [this] { Click(layer(), kExitButton); });
  EXPECT_EQ(Run(96, QBUS_ELEVATED_LIBRARY), 0);
  EXPECT_EQ(messages_,
            (std::vector<std::string>{
                "View function|Cannot read 00:00.0: the access helper has ended.",
                "Save all functions|Not saved: 00:00.0 could not be read whole (0 bytes, then the "
                "access helper has ended).",
                "Bus tree|00:00.0 could not be read: the access helper has ended."}));
  EXPECT_FALSE(std::filesystem::exists(saved));
}

TEST_F(HelperFaults, TheHelperRecordsTheWriteAndAKilledOneFailsTheUndo) {
  ReadAt0x40();
  user_.Then("bit 0", [this] { Click(layer(), kEditRowFirst + 31); });
  user_.Then("WRITE", [this] { Click(layer(), kWriteButton); });
  user_.Then("kill, undo", [this] {
    EXPECT_EQ(Text(kTestLine), "Test: Read-DWord" + kPlace +
                                   "Hex: 43424141    Bin: 01000011 01000010 01000001 01000001"
                                   "    Dec: 1128415553");
    Strike(SIGKILL);
    PressShortcut(Qt::Key_Z);
  });
  user_.Then("EXIT", [this] {
    EXPECT_EQ(Text(kWriteLine),
              "Write-DWord" + kPlace + "Write failed: the access helper has ended");
    EXPECT_EQ(Text(kTestLine),
              "Test: Read-DWord" + kPlace + "Read failed: the access helper has ended");
    Click(layer(), kExitButton);
  });
  EXPECT_EQ(Run(96, QBUS_ELEVATED_LIBRARY), 0);
  EXPECT_TRUE(window_records_.empty()) << "the helper keeps the record, not the window";
}

// EXIT just after the helper stopped, before any request found it silent: the window waits for
// it only a moment (a loose bound; the budget is 100 ms).
TEST_F(HelperFaults, ExitDoesNotWaitForAHelperStoppedUnnoticed) {
  std::chrono::steady_clock::time_point exit_pressed;
  user_.Then("stop, EXIT", [&] {
    Strike(SIGSTOP);
    exit_pressed = std::chrono::steady_clock::now();
    Click(layer(), kExitButton);
  });
  EXPECT_EQ(Run(96, QBUS_ELEVATED_LIBRARY), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - exit_pressed, std::chrono::milliseconds(500));
}

TEST_F(HelperFaults, AStoppedHelperDoesNotAnswerAndExitDoesNotWait) {
  user_.Then("stop", [] { Strike(SIGSTOP); });
  ReadAt0x40();
  user_.Then("EXIT", [this] {
    EXPECT_EQ(Text(kReadLine),
              "Read-DWord" + kPlace + "Read failed: the access helper does not answer");
    Click(layer(), kExitButton);
  });
  EXPECT_EQ(Run(96, QBUS_ELEVATED_LIBRARY), 0);
}

}  // namespace
}  // namespace qbus::test
