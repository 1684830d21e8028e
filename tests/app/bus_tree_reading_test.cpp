// SPDX-License-Identifier: GPL-3.0-or-later
// The bus tree never draws a failed read: over a library whose reads fail from one read on, it
// names the function that failed and why, and draws nothing; only links that need root are left
// out, and the tree says so. Each function costs one call of the library. Enter on a function's
// line sets the selection form to it.
#include "app/bus_tree_reading.h"

#include <array>
#include <gtest/gtest.h>
#include <map>

#include <QTest>
#include <QTreeView>

#include "tests/app/program_fixture.h"

namespace qbus::app {
namespace {

// 00:00.0, the bridge 00:1c.0 to bus 1, 01:00.0 behind it, and 00:1f.3: their first 64 bytes.
std::map<uint32_t, std::array<uint8_t, 64>> FakeMachine() {
  std::map<uint32_t, std::array<uint8_t, 64>> machine;
  for (uint32_t location : {0x0000u, 0x00E0u, 0x0100u, 0x00FBu}) {
    std::array<uint8_t, 64>& bytes = machine[location];
    bytes.fill(0);
    bytes[0] = 0x86, bytes[1] = 0x80, bytes[2] = 0x34, bytes[3] = 0x12;
  }
  machine[0x00E0][0x0E] = 1;
  machine[0x00E0][0x19] = machine[0x00E0][0x1A] = 1;
  return machine;
}

// The fake library: reads fail from the read of `fail_location` at `fail_offset` on; every
// read once `helper_state` is not 0 (a helper that ended or went silent), else only that
// function's (a function that stopped answering).
struct FakeLibrary {
  std::map<uint32_t, std::array<uint8_t, 64>> machine = FakeMachine();
  uint32_t fail_location = 0, fail_offset = 0;
  uint32_t helper_state = 0;
  bool failing = false;

  bool Read(uint32_t location, uint32_t offset, uint32_t width, uint32_t* value) {
    failing = failing || (location == fail_location && offset == fail_offset);
    const auto found = machine.find(location);
    if ((failing && (helper_state != 0 || location == fail_location)) || found == machine.end() ||
        offset + width > 64) {
      *value = 0xFFFFFFFF;
      return false;
    }
    *value = 0;
    for (uint32_t i = 0; i < width; ++i) *value |= uint32_t{found->second[offset + i]} << 8 * i;
    return true;
  }
};
FakeLibrary* fake_library = nullptr;

template <typename T>
uint32_t FakeRead(uint32_t location, uint32_t offset, T* value) {
  uint32_t got = 0;
  const bool done = fake_library->Read(location, offset, sizeof(T), &got);
  *value = static_cast<T>(got);
  return done ? 1 : 0;
}
uint32_t FakeState() { return fake_library->failing ? fake_library->helper_state : 0; }
// As the simulated and the real library read a space: a dword at a time, to the first failure.
uint32_t FakeReadSpace(uint32_t location, uint8_t* bytes, uint32_t size) {
  uint32_t done = 0;
  for (uint32_t dword = 0; done + 4 <= size && fake_library->Read(location, done, 4, &dword);
       done += 4) {
    for (uint32_t i = 0; i < 4; ++i) bytes[done + i] = static_cast<uint8_t>(dword >> 8 * i);
  }
  return done;
}

// The fake's entries; `space_entry`: with the whole-function entry, else reads by dwords.
hw::HardwareAccess FakeAccess(bool with_helper, bool space_entry) {
  hw::HardwareAccess access{};
  access.ReadPciConfigDwordEx = FakeRead<uint32_t>;
  access.ReadPciConfigWordEx = FakeRead<uint16_t>;
  access.ReadPciConfigByteEx = FakeRead<uint8_t>;
  if (space_entry) access.ReadPciConfigSpaceEx = FakeReadSpace;
  if (with_helper) access.GetAccessStateEx = FakeState;
  return access;
}

struct FailingRow {
  const char* name;
  uint32_t location, offset;  // the first read that fails
  uint32_t helper_state;      // 0: a library without a helper
  const char* failure;
};

class BusTreeReadFails : public ::testing::TestWithParam<FailingRow> {};

TEST_P(BusTreeReadFails, NamesTheFunctionAndDrawsNothing) {
  const FailingRow& row = GetParam();
  for (const bool space_entry : {true, false}) {
    SCOPED_TRACE(space_entry ? "whole-function entry" : "dword reads");
    FakeLibrary fake;
    fake.fail_location = row.location;
    fake.fail_offset = row.offset;
    fake.helper_state = row.helper_state;
    fake_library = &fake;
    const std::vector<scan::ListedFunction> listed = {
        {0x0000, 0x12348086}, {0x00E0, 0x12348086}, {0x00FB, 0x12348086}, {0x0100, 0x12348086}};
    const BusTreeReading reading =
        ReadBusTree(FakeAccess(row.helper_state != 0, space_entry), listed);
    fake_library = nullptr;
    EXPECT_EQ(reading.failure, row.failure);
    EXPECT_TRUE(reading.lines.empty()) << reading.lines.size() << " lines drawn";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BusTreeReadFails,
    ::testing::Values(
        // Without its bus numbers the bridge's bus 1 would be drawn as a root.
        FailingRow{"ABridgesBusNumbers", 0x00E0, 0x18, 1,
                   "00:1c.0 could not be read: the access helper has ended."},
        // The dword of the header type, of a function that is no bridge.
        FailingRow{"ANonBridgesHeaderType", 0x00FB, 0x0C, 2,
                   "00:1f.3 could not be read: the access helper does not answer."},
        // 64 bytes read, as without root, but because the helper ended there.
        FailingRow{"TheFirstDwordPastTheHeader", 0x00E0, 0x40, 1,
                   "00:1c.0 could not be read: the access helper has ended."},
        FailingRow{"AFunctionThatStoppedAnswering", 0x0100, 0x00, 0,
                   "01:00.0 could not be read: no function answers at this location."}),
    [](const auto& info) { return std::string(info.param.name); });

// A library that reads 64 bytes of each function: the bridge's capability list lies past them.
TEST(BusTreeReading, WithoutRootTheTreeSaysLinksAreLeftOut) {
  for (const bool space_entry : {true, false}) {
    SCOPED_TRACE(space_entry ? "whole-function entry" : "dword reads");
    FakeLibrary fake;
    fake.fail_location = 0xFFFF;  // no read fails but past 64 bytes
    fake.machine[0x00E0][0x06] = 0x10;
    fake.machine[0x00E0][0x34] = 0x40;
    fake_library = &fake;
    const BusTreeReading reading =
        ReadBusTree(FakeAccess(false, space_entry), {{0x0000, 0x12348086}, {0x00E0, 0x12348086}});
    fake_library = nullptr;
    EXPECT_EQ(reading.failure, "");
    ASSERT_EQ(reading.lines.size(), 4u);  // the line, the root bus, 00:00.0, 00:1c.0
    EXPECT_EQ(reading.lines[0].text,
              "Link speeds and widths not shown: reading them needs root from offset 0x40 on.");
    EXPECT_EQ(reading.lines[0].row, -1);
  }
}

}  // namespace
}  // namespace qbus::app

namespace qbus::test {
namespace {

struct TreeEnterRow {
  const char* name;
  const char* line;  // the start of the line Enter is pressed on
  bool closes;
  const char* bus;  // the selectors afterwards
  const char* device;
  const char* function;
};

class BusTreeEnter : public ProgramTest, public ::testing::WithParamInterface<TreeEnterRow> {};

using BusTreeAccess = ProgramTest;

// The ten functions of the hierarchy dump cost one call of the library, of each one's first 256
// bytes (4 KiB spaces too), and nothing else is read.
TEST_F(BusTreeAccess, ReadsAllFunctionsInOneCall) {
  setenv("QUORILBUS_SIM_DUMP", QBUS_TEST_DUMPS "/hierarchy.dump", 1);
  std::vector<std::string> tree_lines;
  user_.Then("Bus tree...", [&] {
    const size_t before = AccessLines().size();
    OnNextDialog([&](QDialog* dialog, QLineEdit*) {
      const std::vector<std::string> lines = AccessLines();
      tree_lines.assign(lines.begin() + static_cast<std::ptrdiff_t>(before), lines.end());
      dialog->reject();
    });
    ListCommand("Bus tree...")->trigger();
  });
  user_.Then("EXIT", [this] { Click(layer(), controls::kExitButton); });
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(tree_lines, std::vector<std::string>{"ReadPciConfigSpaceBatchEx 0xA 0x100 -> 0xA"});
}

// In the tree of the hierarchy dump, with the selectors at 00:00.0.
TEST_P(BusTreeEnter, SetsTheSelectorsToAFunction) {
  const TreeEnterRow& row = GetParam();
  setenv("QUORILBUS_SIM_DUMP", QBUS_TEST_DUMPS "/hierarchy.dump", 1);
  user_.Then("Bus tree...", [&] {
    OnNextDialog([&](QDialog* dialog, QLineEdit*) {
      auto* tree = dialog->findChild<QTreeView*>();
      const QModelIndexList found =
          tree->model()->match(tree->model()->index(0, 0), Qt::DisplayRole, row.line, -1,
                               Qt::MatchStartsWith | Qt::MatchRecursive);
      ASSERT_EQ(found.size(), 1);
      tree->setCurrentIndex(found.first());
      QTest::keyClick(tree, Qt::Key_Return);
      EXPECT_EQ(dialog->isVisible(), !row.closes);
      dialog->reject();
    });
    ListCommand("Bus tree...")->trigger();
  });
  user_.Then("the form", [&] {
    EXPECT_EQ(Text(controls::kBusSelector), row.bus);
    EXPECT_EQ(Text(controls::kDeviceSelector), row.device);
    EXPECT_EQ(Text(controls::kFunctionSelector), row.function);
    Click(layer(), controls::kExitButton);
  });
  EXPECT_EQ(Run(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BusTreeEnter,
    ::testing::Values(
        // Behind three bridges: its line in the device list is not its line in the tree.
        TreeEnterRow{"AFunctionBehindBridges", "03:00.0", true, "0x03 (3) ", "0x00 (0) ",
                     "0x0 (0) "},
        TreeEnterRow{"ADeviceAndFunction", "00:1f.3", true, "0x00 (0) ", "0x1F (31) ", "0x3 (3) "},
        TreeEnterRow{"ABusLine", "[0000:00]", false, "0x00 (0) ", "0x00 (0) ", "0x0 (0) "}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace qbus::test
