// SPDX-License-Identifier: GPL-3.0-or-later
// Hundreds of thousands of random calls: nothing crashes, failures return 0 and store all-ones,
// successes agree with a second read.
#include <gtest/gtest.h>
#include <random>

#include "access/linux/core.h"
#include "hw/library_binding.h"
#include "tests/support/fake_sysfs.h"
#include "tests/support/temp_dir.h"

namespace qbus {
namespace {

// Offsets cluster near the edges that matter: aligned and not, inside and past each space.
uint32_t RandomOffset(std::mt19937& random) {
  switch (random() % 4) {
    case 0:
      return random() % 0x100;
    case 1:
      return random() % 0x1010;
    case 2:
      return 0xFFFFFFFF - random() % 8;
    default:
      return random();
  }
}

uint32_t RandomLocation(std::mt19937& random, std::initializer_list<uint32_t> present) {
  if (random() % 2) return present.begin()[random() % present.size()];
  return random() % 3 == 0 ? random() : random() % 0x10000;
}

void NoMessage(const std::string& title, const std::string&) { ADD_FAILURE() << title; }

TEST(Robustness, RandomCallsIntoTheSimulatedLibrary) {
  hw::LoadedLibrary library;
  ASSERT_TRUE(hw::BindFile(QBUS_SIM_LIBRARY, NoMessage, &library));
  const hw::HardwareAccess& a = library.access;
  std::mt19937 random(1234);
  for (int call = 0; call < 300000; ++call) {
    const uint32_t location = RandomLocation(random, {0x0000, 0x0010, 0x00E0, 0x0100});
    const uint32_t offset = RandomOffset(random);
    uint32_t dword = 0;
    uint16_t word = 0;
    uint8_t byte = 0;
    switch (random() % 9) {
      case 0:
        if (a.ReadPciConfigDwordEx(location, offset, &dword) == 0) {
          ASSERT_EQ(dword, 0xFFFFFFFFu);
        }
        break;
      case 1:
        if (a.ReadPciConfigWordEx(location, offset, &word) == 0) {
          ASSERT_EQ(word, 0xFFFFu);
        }
        break;
      case 2:
        if (a.ReadPciConfigByteEx(location, offset, &byte) == 0) {
          ASSERT_EQ(byte, 0xFFu);
        }
        break;
      case 3:
        a.WritePciConfigDwordEx(location, offset, random());
        break;
      case 4:
        a.WritePciConfigWordEx(location, offset, static_cast<uint16_t>(random()));
        break;
      case 5:
        a.WritePciConfigByteEx(location, offset, static_cast<uint8_t>(random()));
        break;
      case 6:
        a.WriteIoPortDwordEx(random() % 2 ? 0xCF8 : random() % 0x10000, random());
        break;
      case 7:
        if (a.ReadIoPortDwordEx(random() % 2 ? 0xCFC : random(), &dword) == 0) {
          ASSERT_EQ(dword, 0xFFFFFFFFu);
        }
        break;
      default:
        ASSERT_EQ(a.ReadPciConfigDwordEx(location, offset, nullptr), 0u);
        ASSERT_EQ(a.ReadIoPortDwordEx(0xCFC, nullptr), 0u);
    }
  }
  hw::Unbind(&library);
}

TEST(Robustness, RandomCallsIntoTheRealCoreOnAFakeTree) {
  test::TempDir dir;
  test::AddFakeFunction(dir.path(), "0000:00:00.0", test::CountingConfig(256, 0x8086, 1));
  test::AddFakeFunction(dir.path(), "0000:01:00.0", test::CountingConfig(4096, 0x10EC, 2));
  access::linux_pci::Core core(dir.path().string());
  ASSERT_TRUE(core.Init());
  std::mt19937 random(99);
  for (int call = 0; call < 200000; ++call) {
    const uint32_t location = RandomLocation(random, {0x0000, 0x0100});
    const uint32_t offset = RandomOffset(random);
    const uint32_t width = 1u << (random() % 4);  // 1, 2, 4 and the invalid 8
    switch (random() % 4) {
      case 0: {
        const auto value = core.ReadConfig(location, offset, width);
        if (value) {
          ASSERT_EQ(core.ReadConfig(location, offset, width), value);
        }
        break;
      }
      case 1:
        core.WriteConfig(location, offset, width, random());
        break;
      case 2:
        core.WritePort(random() % 2 ? 0xCF8 : random(), random());
        break;
      default:
        core.ReadPort(random() % 2 ? 0xCFC : random());
    }
  }
  EXPECT_EQ(std::filesystem::file_size(dir.path() / "devices/0000:00:00.0/config"), 256u);
  EXPECT_EQ(std::filesystem::file_size(dir.path() / "devices/0000:01:00.0/config"), 4096u);
}

}  // namespace
}  // namespace qbus
