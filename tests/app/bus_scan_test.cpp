// SPDX-License-Identifier: GPL-3.0-or-later
// The bus scan over machines made for its edges.
#include <gtest/gtest.h>

#include <QLabel>

#include "controls/control_table.h"
#include "tests/app/program_fixture.h"

namespace qbus::test {
namespace {

using namespace controls;
using BusScan = ProgramTest;

std::vector<std::string> ListLines(ui::WindowLayer& layer) {
  auto* list = static_cast<QListWidget*>(Widget(layer, kDeviceList));
  std::vector<std::string> lines;
  for (int row = 0; row < list->count(); ++row)
    lines.push_back(list->item(row)->text().toStdString());
  return lines;
}

std::string Line(const char* place, const char* ids) { return std::string(place) + " :  " + ids; }

TEST_F(BusScan, ListsEveryAnsweringFunctionInOrderAndNothingElse) {
  std::string dump =
      "00:00.0 Identifier 0\n00: 00 00 00 00\n"
      "00:02.0 Vendor FFFF\n00: ff ff 34 12\n"
      "00:03.0 Reads all-ones\n00: ff ff ff ff\n"
      "ff:1f.7 The last function\n00: 22 10 01 00\n";
  for (int function = 0; function < 8; ++function) {
    dump += "00:01." + std::to_string(function) + " Same dword\n00: 86 80 11 11\n";
  }
  UseDump(dump);
  user_.Then("look at the list and the legend", [this] {
    std::vector<std::string> expected = {
        Line("Bus-Nr. = 0x00 ,  Device-Nr. = 0x00 ,  Funktions-Nr. = 0x0",
             "Vendor = 0x0000 ,  Device = 0x0000")};
    for (int function = 0; function < 8; ++function) {
      expected.push_back("Bus-Nr. = 0x00 ,  Device-Nr. = 0x01 ,  Funktions-Nr. = 0x" +
                         std::to_string(function) + " :  Vendor = 0x8086 ,  Device = 0x1111");
    }
    expected.push_back(Line("Bus-Nr. = 0x00 ,  Device-Nr. = 0x02 ,  Funktions-Nr. = 0x0",
                            "Vendor = 0xFFFF ,  Device = 0x1234"));
    expected.push_back(Line("Bus-Nr. = 0xFF ,  Device-Nr. = 0x1F ,  Funktions-Nr. = 0x7",
                            "Vendor = 0x1022 ,  Device = 0x0001"));
    EXPECT_EQ(ListLines(layer()), expected);
    EXPECT_EQ(Box(kDeviceList), QRect(10, 230, 590, 160));
    EXPECT_EQ(FontSize(kDeviceList), 12);

    EXPECT_EQ(Text(kLegendHeading), "Any Vendors:");
    EXPECT_EQ(Box(kLegendHeading), QRect(720, 220, 150, 15));
    EXPECT_TRUE(static_cast<QLabel*>(Widget(layer(), kLegendHeading))->alignment() &
                Qt::AlignHCenter);
    const char* legend[] = {"0x1002 = AMD (ATI)", "0x1022 = AMD",     "0x10DE = NVIDIA",
                            "0x10EC = REALTEK",   "0x1106 = VIA",     "0x14E4 = BROADCOM",
                            "0x14F1 = KORVENTIX", "0x197B = JMICRON", "0x1B21 = ASUSTEK",
                            "0x1B6F = ETRON",     "0x8086 = INTEL",   "0x9710 = MOSCHIP"};
    for (int id = kLegendFirst; id <= kLegendLast; ++id) {
      SCOPED_TRACE(id);
      const int n = id - kLegendFirst;
      EXPECT_EQ(Text(id), legend[n]);
      const QRect expected_box =
          n < 10 ? QRect(620, 235 + 15 * n, 130, 15) : QRect(820, 235 + 15 * (n - 10), 130, 15);
      EXPECT_EQ(Box(id), expected_box);
      EXPECT_EQ(FontSize(id), 12);
    }
    Click(layer(), kExitButton);
  });
  EXPECT_EQ(Run(), 0);

  // Every probe writes the next address and reads the data port, nothing in between.
  const std::vector<std::string> lines = TraceLines();
  ASSERT_EQ(lines.size(), 2u + 131072u);
  char write[64];
  for (uint32_t probe = 0; probe < 0x10000; ++probe) {
    std::snprintf(write, sizeof write, "WriteIoPortDwordEx 0xCF8 0x%X -> 0x1",
                  0x80000000u + probe * 0x100);
    ASSERT_EQ(lines[1 + 2 * probe], write);
    ASSERT_EQ(lines[2 + 2 * probe].rfind("ReadIoPortDwordEx 0xCFC -> 0x1 0x", 0), 0u);
  }
  EXPECT_EQ(lines[2 + 2 * 0xFFFF], "ReadIoPortDwordEx 0xCFC -> 0x1 0x11022");
}

TEST_F(BusScan, AMachineWhereNothingAnswersGivesAnEmptyListAndTheForm) {
  UseDump("00:00.0 A function that reads all-ones\n00: ff ff ff ff\n");
  user_.Then("an empty list", [this] {
    EXPECT_TRUE(ListLines(layer()).empty());
    EXPECT_EQ(Text(kLegendLast), "0x9710 = MOSCHIP");
    EXPECT_EQ(Text(kBusSelector), "0x00 (0) ");
    Click(layer(), kExitButton);
  });
  EXPECT_EQ(Run(), 0);
}

}  // namespace
}  // namespace qbus::test
