// SPDX-License-Identifier: GPL-3.0-or-later
// Failed accesses are shown as failures, never as data: a read that fails leaves nothing to edit
// or write, a refused write and a failed read-back say so, and every write is recorded.
#include <gtest/gtest.h>

#include <QLabel>

#include "register/bit_editor.h"
#include "tests/app/program_fixture.h"
#include "tests/ui/layer_fixture.h"

namespace qbus::test {
namespace {

using namespace controls;

constexpr const char* kFailureDump = kScratchFunctionDump;

const std::string kFailurePlace = " (Bus=0x00 (0), Device=0x03 (3), Function=0x1 (1), Address=";

// A machine without 00:03.1.
constexpr char kOtherDump[] = "00:00.0 Test device: another function\n00: 86 80 37 12\n";

struct FailedReadCase {
  const char* name;
  bool unprivileged;  // the simulated machine answers as the kernel answers a user
  ControlId option;
  int position;
  std::string line;
  std::vector<std::string> trace;  // the failed read, then the reads that find out why
  const char* dump = kFailureDump;
};

class FailedRead : public ProgramTest, public ::testing::WithParamInterface<FailedReadCase> {};

TEST_P(FailedRead, SaysWhyAndOffersNothingToWrite) {
  const FailedReadCase& c = GetParam();
  UseDump(c.dump);
  if (c.unprivileged) setenv("QUORILBUS_SIM_UNPRIVILEGED", "1", 1);
  SelectAndRead(c.option, c.position);
  user_.Then("the failure", [this, &c] {
    EXPECT_EQ(Text(kReadLine), c.line);
    EXPECT_EQ(Box(kReadLine), QRect(10, 70, 980, 20));
    for (ControlId id : {kReadRowFirst, kWriteButton, kWriteLine, kEditRowFirst, kVerifyRowFirst}) {
      EXPECT_FALSE(layer().ControlExists(id)) << id;
    }
    EXPECT_TRUE(Enabled(kNewSelectionButton));
    SaveScreenshot(std::string("failed-read-") + c.name);
    Click(layer(), kNewSelectionButton);
  });
  user_.Then("a fresh form", [this] {
    EXPECT_EQ(Text(kReadButton), "R E A D");
    Click(layer(), kExitButton);
  });
  EXPECT_EQ(Run(), 0);
  unsetenv("QUORILBUS_SIM_UNPRIVILEGED");
  std::vector<std::string> expected{"InitializeOls -> 0x1"};
  expected.insert(expected.end(), c.trace.begin(), c.trace.end());
  expected.push_back("DeinitializeOls");
  EXPECT_EQ(AccessLines(), expected);
}

const std::string kIdentifier = "ReadPciConfigWordEx 0x19 0x0 -> 0x1 0x8086";
const std::string kPastHeader = "ReadPciConfigDwordEx 0x19 0x40 -> 0x1 0x12345678";
const std::string kNotPastHeader = "ReadPciConfigDwordEx 0x19 0x40 -> 0x0 0xFFFFFFFF";

INSTANTIATE_TEST_SUITE_P(
    Cases, FailedRead,
    ::testing::Values(
        FailedReadCase{"NotRootAbove0x3F",
                       true,
                       kDWordOption,
                       0x10,
                       "Read-DWord" + kFailurePlace +
                           "0x0040 (64)) :  Read failed: needs root from offset 0x40 on",
                       {kNotPastHeader, kIdentifier, kNotPastHeader}},
        FailedReadCase{
            "NotRootAbove0xFF",
            true,
            kWordOption,
            0x80,
            "Read-Word" + kFailurePlace +
                "0x0100 (256)) :  Read failed: needs root, if the function reaches "
                "this far",
            {"ReadPciConfigWordEx 0x19 0x100 -> 0x0 0xFFFF", kIdentifier, kNotPastHeader}},
        FailedReadCase{"BeyondTheConfigurationSpace",
                       false,
                       kDWordOption,
                       0x400,
                       "Read-DWord" + kFailurePlace +
                           "0x1000 (4096)) :  Read failed: beyond the 4 KiB configuration space",
                       {"ReadPciConfigDwordEx 0x19 0x1000 -> 0x0 0xFFFFFFFF", kIdentifier}},
        FailedReadCase{"PastA256ByteSpace",
                       false,
                       kWordOption,
                       0x80,
                       "Read-Word" + kFailurePlace +
                           "0x0100 (256)) :  Read failed: beyond this function's 256-byte "
                           "configuration space",
                       {"ReadPciConfigWordEx 0x19 0x100 -> 0x0 0xFFFF", kIdentifier, kPastHeader,
                        "ReadPciConfigDwordEx 0x19 0x100 -> 0x0 0xFFFFFFFF"}},
        FailedReadCase{"NoFunctionAnswers",
                       false,
                       kByteOption,
                       0,
                       "Read-Byte" + kFailurePlace +
                           "0x0000 (0)) :  Read failed: no function answers at this location",
                       {"ReadPciConfigByteEx 0x19 0x0 -> 0x0 0xFF",
                        "ReadPciConfigWordEx 0x19 0x0 -> 0x0 0xFFFF"},
                       kOtherDump}),
    [](const auto& info) { return std::string(info.param.name); });

// Without root the kernel reads the first 64 bytes but refuses every write: the Write line
// says so, the Test line shows what the register still holds, and both log lines record it.
TEST_F(ProgramTest, ARefusedWriteSaysSoAndIsRecorded) {
  UseDump(kFailureDump);
  setenv("QUORILBUS_SIM_UNPRIVILEGED", "1", 1);
  std::vector<std::string> log;
  environment_.record_write = [&log](const std::string& line) { log.push_back(line); };
  SelectAndRead(kByteOption, 0x3C);
  user_.Then("bit 0", [this] { Click(layer(), kEditRowFirst + 7); });
  user_.Then("WRITE", [this, &log] {
    EXPECT_TRUE(log.empty()) << "nothing is recorded before WRITE";
    Click(layer(), kWriteButton);
  });
  user_.Then("refused", [this] {
    EXPECT_EQ(Text(kWriteLine),
              "Write-Byte" + kFailurePlace + "0x003C (60)) :  Write failed: needs root");
    EXPECT_EQ(Text(kTestLine), "Test: Read-Byte" + kFailurePlace +
                                   "0x003C (60)) :  Hex: 00    Bin: 00000000    Dec: 0");
    EXPECT_EQ(Row(kEditRowFirst, 8), "00000001");
    EXPECT_EQ(Row(kVerifyRowFirst, 8), "00000000");
    SaveScreenshot("refused-write");
    Click(layer(), kExitButton);
  });
  EXPECT_EQ(Run(), 0);
  unsetenv("QUORILBUS_SIM_UNPRIVILEGED");
  const std::string intent = "write 00:03.1 offset=0x003C width=Byte before=0x00 value=0x01";
  EXPECT_EQ(log, (std::vector<std::string>{intent, intent + " after=0x00 result=write-failed"}));
  EXPECT_EQ(AccessLines()[2], "WritePciConfigByteEx 0x19 0x3C 0x1 -> 0x0");
}

// A write that the register partly ignores is a success: the record shows what it took.
TEST_F(ProgramTest, AnAcceptedWriteIsRecordedWithWhatTheRegisterTook) {
  UseDump(kFailureDump);
  std::vector<std::string> log;
  std::vector<size_t> calls_before;  // library calls made when each record was taken
  environment_.record_write = [&](const std::string& line) {
    log.push_back(line);
    calls_before.push_back(AccessLines().size());
  };
  SelectAndRead(kWordOption, 0);  // the vendor identifier: read-only
  user_.Then("bit 0", [this] { Click(layer(), kEditRowFirst + 15); });
  user_.Then("WRITE", [this] { Click(layer(), kWriteButton); });
  user_.Then("EXIT", [this] {
    EXPECT_NE(Text(kWriteLine).find("Hex: 8087"), std::string::npos);
    EXPECT_NE(Text(kTestLine).find("Hex: 8086"), std::string::npos);
    Click(layer(), kExitButton);
  });
  EXPECT_EQ(Run(), 0);
  const std::string intent = "write 00:03.1 offset=0x0000 width=Word before=0x8086 value=0x8087";
  EXPECT_EQ(log, (std::vector<std::string>{intent, intent + " after=0x8086 result=ok"}));
  // The first record before the write (after the read), the second after the read-back.
  EXPECT_EQ(calls_before, (std::vector<size_t>{2, 4}));
}

// A library that takes the write but cannot read the register (0x48) back, while the function
// answers everywhere else.
hw::HardwareAccess ReadBackFails() {
  hw::HardwareAccess access{};
  access.WritePciConfigDwordEx = [](uint32_t, uint32_t, uint32_t) -> uint32_t { return 1; };
  access.ReadPciConfigDwordEx = [](uint32_t, uint32_t offset, uint32_t* value) -> uint32_t {
    *value = offset == 0x48 ? 0xFFFFFFFF : 0;
    return offset == 0x48 ? 0 : 1;
  };
  access.ReadPciConfigWordEx = [](uint32_t, uint32_t, uint16_t* value) -> uint32_t {
    *value = 0x8086;
    return 1;
  };
  return access;
}

class BitEditorOnAFailingLibrary : public LayerTest {
 protected:
  std::string Text(ControlId id) {
    return static_cast<QLabel*>(Widget(layer(), id))->text().toStdString();
  }
};

TEST_F(BitEditorOnAFailingLibrary, AFailedReadBackIsNeverShownAsData) {
  regs::ReadResult read;
  read.target = {
      AccessWidth::kDWord, 0x19, 0x48, {"0x00 (0)", "0x03 (3)", "0x1 (1)", "0x0048 (72)"}};
  read.read = true;
  read.value = 0x12345678;
  std::vector<std::string> log;
  const regs::AccessEnvironment environment{
      [&log](const std::string& line) { log.push_back(line); }, {}, {}};
  user_.Then("WRITE", [this] { Click(layer(), kWriteButton); });
  user_.Then("the failure", [this] {
    EXPECT_NE(Text(kWriteLine).find("Hex: 12345678"), std::string::npos) << "the write went out";
    EXPECT_EQ(Text(kTestLine), "Test: Read-DWord" + kFailurePlace +
                                   "0x0048 (72)) :  Read failed: refused by the access "
                                   "library");
    EXPECT_FALSE(layer().ControlExists(kVerifyRowFirst)) << "a failed read-back has no bits";
    layer().RaiseEvent(ui::kCloseEvent, 0, 0, 0);
  });
  EXPECT_EQ(regs::RunBitEditor(layer(), ReadBackFails(), environment, read), regs::Outcome::kExit);
  EXPECT_EQ(log.back(),
            "write 00:03.1 offset=0x0048 width=DWord before=0x12345678 value=0x12345678 "
            "after=none result=read-back-failed");
}

}  // namespace
}  // namespace qbus::test
