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

// 00:03.1 with 256 bytes of configuration space: 0x3C holds 0x00, 0x40 holds 0x12345678.
constexpr char kDump[] =
    "00:03.1 Test device: one function\n"
    "00: 86 80 34 12 00 00 10 00 01 00 00 ff 00 00 00 00\n"
    "30: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n"
    "40: 78 56 34 12\n";

const std::string kPlace = " (Bus=0x00 (0), Device=0x03 (3), Function=0x1 (1), Address=";

struct FailedReadCase {
  const char* name;
  bool unprivileged;  // the simulated machine answers as the kernel answers a user
  bool root;          // what the program believes
  ControlId option;
  int position;
  std::string line;
  std::string trace;
};

class FailedRead : public ProgramTest, public ::testing::WithParamInterface<FailedReadCase> {};

TEST_P(FailedRead, SaysWhyAndOffersNothingToWrite) {
  const FailedReadCase& c = GetParam();
  UseDump(kDump);
  if (c.unprivileged) setenv("QUORILBUS_SIM_UNPRIVILEGED", "1", 1);
  environment_.running_as_root = c.root;
  SelectAndRead(c.option, c.position);
  user_.Then("the failure", [this, &c] {
    EXPECT_EQ(Text(kReadLine), c.line);
    EXPECT_EQ(Box(kReadLine), QRect(10, 70, 980, 20));
    const int bits = c.option == kDWordOption ? 32 : c.option == kWordOption ? 16 : 8;
    EXPECT_EQ(Row(kReadRowFirst, bits), std::string(bits, '0')) << "no bit shown as set";
    EXPECT_FALSE(Enabled(kReadRowFirst));
    for (ControlId id : {kWriteButton, kWriteLine, kEditRowFirst, kVerifyRowFirst}) {
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
  EXPECT_EQ(AccessLines(),
            (std::vector<std::string>{"InitializeOls -> 0x1", c.trace, "DeinitializeOls"}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FailedRead,
    ::testing::Values(
        FailedReadCase{
            "NotRootAbove0x3F", true, false, kDWordOption, 0x10,
            "Read-DWord" + kPlace + "0x0040 (64)) :  Read failed: needs root from offset 0x40 on",
            "ReadPciConfigDwordEx 0x19 0x40 -> 0x0 0xFFFFFFFF"},
        FailedReadCase{"BeyondTheConfigurationSpace", false, true, kDWordOption, 0x400,
                       "Read-DWord" + kPlace +
                           "0x1000 (4096)) :  Read failed: beyond the 4 KiB configuration space",
                       "ReadPciConfigDwordEx 0x19 0x1000 -> 0x0 0xFFFFFFFF"},
        FailedReadCase{
            "PastA256ByteSpace", false, true, kWordOption, 0x80,
            "Read-Word" + kPlace + "0x0100 (256)) :  Read failed: refused by the access library",
            "ReadPciConfigWordEx 0x19 0x100 -> 0x0 0xFFFF"}),
    [](const auto& info) { return std::string(info.param.name); });

// Without root the kernel reads the first 64 bytes but refuses every write: the Write line
// says so, the Test line shows what the register still holds, and both log lines record it.
TEST_F(ProgramTest, ARefusedWriteSaysSoAndIsRecorded) {
  UseDump(kDump);
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
    EXPECT_EQ(Text(kWriteLine), "Write-Byte" + kPlace + "0x003C (60)) :  Write failed: needs root");
    EXPECT_EQ(Text(kTestLine),
              "Test: Read-Byte" + kPlace + "0x003C (60)) :  Hex: 00    Bin: 00000000    Dec: 0");
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
  UseDump(kDump);
  std::vector<std::string> log;
  environment_.record_write = [&log](const std::string& line) { log.push_back(line); };
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
}

// A library that takes the write but cannot read the register back.
hw::HardwareAccess ReadBackFails() {
  hw::HardwareAccess access{};
  access.WritePciConfigDwordEx = [](uint32_t, uint32_t, uint32_t) -> uint32_t { return 1; };
  access.ReadPciConfigDwordEx = [](uint32_t, uint32_t, uint32_t* value) -> uint32_t {
    *value = 0xFFFFFFFF;
    return 0;
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
      AccessWidth::kDWord, 0x19, 0x40, {"0x00 (0)", "0x03 (3)", "0x1 (1)", "0x0040 (64)"}};
  read.read = true;
  read.value = 0x12345678;
  std::vector<std::string> log;
  const regs::AccessEnvironment environment{
      true, [&log](const std::string& line) { log.push_back(line); }};
  user_.Then("WRITE", [this] { Click(layer(), kWriteButton); });
  user_.Then("the failure", [this] {
    EXPECT_NE(Text(kWriteLine).find("Hex: 12345678"), std::string::npos) << "the write went out";
    EXPECT_EQ(Text(kTestLine), "Test: Read-DWord" + kPlace +
                                   "0x0040 (64)) :  Read failed: refused by the access "
                                   "library");
    for (int k = 0; k < 32; ++k) EXPECT_EQ(layer().GetControlState(kVerifyRowFirst + k), 0) << k;
    layer().RaiseEvent(ui::kCloseEvent, 0, 0, 0);
  });
  EXPECT_EQ(regs::RunBitEditor(layer(), ReadBackFails(), environment, read), regs::Outcome::kExit);
  EXPECT_EQ(log.back(),
            "write 00:03.1 offset=0x0040 width=DWord before=0x12345678 value=0x12345678 "
            "after=none result=read-back-failed");
}

}  // namespace
}  // namespace qbus::test
