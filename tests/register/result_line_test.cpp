// SPDX-License-Identifier: GPL-3.0-or-later
#include "register/result_line.h"

#include <gtest/gtest.h>

#include "register/captions.h"

namespace qbus::regs {
namespace {

LocationCaptions Captions(int bus, int device, int function, int offset) {
  return {BusCaption(bus), DeviceCaption(device), FunctionCaption(function), OffsetCaption(offset)};
}

TEST(Captions, PadBusDeviceAndOffsetButNotTheFunction) {
  EXPECT_EQ(BusCaption(10), "0x0A (10)");
  EXPECT_EQ(BusCaption(255), "0xFF (255)");
  EXPECT_EQ(DeviceCaption(31), "0x1F (31)");
  EXPECT_EQ(FunctionCaption(0), "0x0 (0)");
  EXPECT_EQ(FunctionCaption(7), "0x7 (7)");
  EXPECT_EQ(OffsetCaption(2), "0x0002 (2)");
  EXPECT_EQ(OffsetCaption(0xFFFC), "0xFFFC (65532)");
}

TEST(ResultLine, MatchesTheWorkedExamplesExactly) {
  EXPECT_EQ(
      FormatResultLine(LineKind::kRead, AccessWidth::kDWord, 0x12345678, Captions(0, 31, 7, 16)),
      "Read-DWord (Bus=0x00 (0), Device=0x1F (31), Function=0x7 (7), Address=0x0010 (16)) "
      ":  Hex: 12345678    Bin: 00010010 00110100 01010110 01111000    Dec: 305419896");
  EXPECT_EQ(
      FormatResultLine(LineKind::kWrite, AccessWidth::kDWord, 0xFFFFFFFF, Captions(0, 0, 0, 0)),
      "Write-DWord (Bus=0x00 (0), Device=0x00 (0), Function=0x0 (0), Address=0x0000 (0)) "
      ":  Hex: FFFFFFFF    Bin: 11111111 11111111 11111111 11111111    Dec: 4294967295");
  EXPECT_EQ(FormatResultLine(LineKind::kRead, AccessWidth::kWord, 0xA5C3, Captions(128, 3, 1, 4)),
            "Read-Word (Bus=0x80 (128), Device=0x03 (3), Function=0x1 (1), Address=0x0004 (4)) "
            ":  Hex: A5C3    Bin: 10100101 11000011    Dec: 42435");
  EXPECT_EQ(FormatResultLine(LineKind::kTest, AccessWidth::kByte, 0x0B, Captions(255, 0, 0, 60)),
            "Test: Read-Byte (Bus=0xFF (255), Device=0x00 (0), Function=0x0 (0), Address=0x003C "
            "(60)) :  Hex: 0B    Bin: 00001011    Dec: 11");
}

TEST(ResultLine, TakesTheValueAtTheWidthOnly) {
  const LocationCaptions c = Captions(0, 0, 0, 0);
  EXPECT_NE(FormatResultLine(LineKind::kTest, AccessWidth::kWord, 0xFFFF8000, c)
                .find("Hex: 8000    Bin: 10000000 00000000    Dec: 32768"),
            std::string::npos);
  EXPECT_NE(FormatResultLine(LineKind::kWrite, AccessWidth::kByte, 0x1FF, c)
                .find("Write-Byte (Bus=0x00 (0), "),
            std::string::npos);
}

}  // namespace
}  // namespace qbus::regs
