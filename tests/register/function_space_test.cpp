// SPDX-License-Identifier: GPL-3.0-or-later
// A function's space is read in one call where the library offers it, a dword at a time where
// it does not, and a reading that stopped part of the way is never taken for the whole.
#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <vector>

#include "register/register_access.h"

namespace qbus::regs {
namespace {

// What the fake library answers: set per row.
struct Answers {
  static inline uint32_t whole_size = 0;    // what the one-call read returns
  static inline uint32_t dwords_until = 0;  // dword reads succeed below this offset
  static inline uint32_t state = 0;         // GetAccessStateEx
};

hw::HardwareAccess FakeLibrary(bool one_call, bool helper) {
  hw::HardwareAccess access{};
  access.ReadPciConfigDwordEx = [](uint32_t, uint32_t offset, uint32_t* value) -> uint32_t {
    *value = offset < Answers::dwords_until ? 0x03020100u + offset * 0x01010101u : ~0u;
    return offset < Answers::dwords_until;
  };
  if (one_call) {
    access.ReadPciConfigSpaceEx = [](uint32_t, uint8_t* bytes, uint32_t size) -> uint32_t {
      for (uint32_t i = 0; i < Answers::whole_size && i < size; ++i) bytes[i] = 0xA5;
      return Answers::whole_size;
    };
  }
  if (helper) access.GetAccessStateEx = []() -> uint32_t { return Answers::state; };
  return access;
}

struct Row {
  const char* name;
  bool one_call;
  bool helper;
  uint32_t whole_size;
  uint32_t dwords_until;
  uint32_t state;
  size_t size;
  bool whole;
  const char* why;
};

class FunctionSpaceRead : public ::testing::TestWithParam<Row> {};

TEST_P(FunctionSpaceRead, TellsWholeFromPart) {
  const Row& row = GetParam();
  Answers::whole_size = row.whole_size;
  Answers::dwords_until = row.dwords_until;
  Answers::state = row.state;
  const FunctionSpace space = ReadFunctionSpace(FakeLibrary(row.one_call, row.helper), 0x19);
  EXPECT_EQ(space.bytes.size(), row.size);
  EXPECT_EQ(space.whole, row.whole);
  EXPECT_EQ(space.why, row.why);
  if (row.size > 0 && row.one_call) {
    EXPECT_EQ(space.bytes.front(), 0xA5) << "the dword reads were used";
  }
  if (row.size > 4 && !row.one_call) {
    EXPECT_EQ(space.bytes[5], 0x05);  // byte i holds i: dwords stored little-endian
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FunctionSpaceRead,
    ::testing::Values(
        Row{"OneCallWhole4KiB", true, true, 4096, 0, 0, 4096, true, ""},
        Row{"OneCallAUsers64Bytes", true, false, 64, 0, 0, 64, true, ""},
        Row{"OneCallHelperEnded", true, true, 0, 4096, 1, 0, false, "the access helper has ended"},
        Row{"OneCallHelperSilent", true, true, 0, 4096, 2, 0, false,
            "the access helper does not answer"},
        Row{"OneCallNoFunction", true, true, 0, 0, 0, 0, false, "no function answers"},
        Row{"OneCallMoreThan4KiB", true, false, 8192, 0, 0, 0, false, "no function answers"},
        Row{"DwordsHelperEndedAt0x674", false, true, 0, 0x674, 1, 0x674, false,
            "the access helper has ended"},
        Row{"Dwords256Bytes", false, false, 0, 0x100, 0, 256, true, ""},
        Row{"DwordsStoppedAt0x80", false, false, 0, 0x80, 0, 128, false,
            "the reading stopped early"}),
    [](const auto& info) { return std::string(info.param.name); });

// The batch entry's answers: how many bytes each location stores (each byte its location's), and
// the locations of each call made.
struct BatchAnswers {
  static inline std::map<uint32_t, uint32_t> stored;
  static inline std::vector<std::vector<uint32_t>> calls;
};

// Runs of the batch entry, in order, each function judged alone: a function read before the
// helper ended is whole; one it did not read, or read past the size asked, fails with its cause.
TEST(FunctionStarts, ReadsRunsAndJudgesEachFunctionAlone) {
  hw::HardwareAccess access = FakeLibrary(true, true);
  access.ReadPciConfigSpaceBatchEx = [](const uint32_t* locations, uint32_t count, uint32_t size,
                                        uint8_t* bytes, uint32_t* stored) -> uint32_t {
    BatchAnswers::calls.emplace_back(locations, locations + count);
    for (uint32_t i = 0; i < count; ++i) {
      stored[i] = BatchAnswers::stored[locations[i]];
      std::fill_n(bytes + size_t{i} * size, std::min(stored[i], size), locations[i]);
    }
    return count;
  };
  Answers::state = 1;  // the helper has ended by the end of each call
  BatchAnswers::stored = {{1, 256}, {2, 64}, {3, 0}, {4, 100}, {5, 260}};
  BatchAnswers::calls.clear();
  FunctionStarts starts(access, {1, 2, 3, 4, 5}, 256, 2);
  const struct {
    size_t size;
    bool whole;
    const char* why;
  } kExpected[] = {{256, true, ""},
                   {64, true, ""},
                   {0, false, "the access helper has ended"},
                   {100, false, "the reading stopped early"},
                   {0, false, "the access helper has ended"}};
  for (size_t i = 0; i < 5; ++i) {
    SCOPED_TRACE(i + 1);
    const FunctionSpace space = starts.Take(i);
    EXPECT_EQ(space.bytes.size(), kExpected[i].size);
    EXPECT_EQ(space.whole, kExpected[i].whole);
    EXPECT_EQ(space.why, kExpected[i].why);
    if (!space.bytes.empty()) {
      EXPECT_EQ(space.bytes.front(), i + 1);
      EXPECT_EQ(space.bytes.back(), i + 1);
    }
  }
  EXPECT_EQ(BatchAnswers::calls, (std::vector<std::vector<uint32_t>>{{1, 2}, {3, 4}, {5}}));
}

}  // namespace
}  // namespace qbus::regs
