// SPDX-License-Identifier: GPL-3.0-or-later
// The real library's core against a fake sysfs tree: every write here lands in a temporary
// file, never in hardware.
#include <cstdio>
#include <gtest/gtest.h>
#include <stdexcept>
#include <sys/resource.h>

#include "access/common/entry_shim.h"
#include "access/linux/core.h"
#include "tests/support/fake_sysfs.h"
#include "tests/support/temp_dir.h"

namespace qbus::access::linux_pci {
namespace {

class LinuxCoreOnFakeTree : public ::testing::Test {
 protected:
  void SetUp() override {
    test::AddFakeFunction(dir_.path(), "0000:00:00.0", test::CountingConfig(256, 0x8086, 0x1237));
    test::AddFakeFunction(dir_.path(), "0000:02:1f.7", test::CountingConfig(4096, 0x10EC, 0x8168));
    test::AddFakeFunction(dir_.path(), "0001:00:01.0", test::CountingConfig(256, 0x1AF4, 0x1000));
    ASSERT_TRUE(core_.Init()) << core_.error();
  }

  test::TempDir dir_;
  Core core_{dir_.path().string()};
};

constexpr uint32_t kHost = 0x0000;
constexpr uint32_t kFar = 0x02FF;  // 02:1f.7

TEST_F(LinuxCoreOnFakeTree, EnumeratesDomainZeroWithEachSpaceSize) {
  EXPECT_TRUE(core_.Present(kHost));
  EXPECT_TRUE(core_.Present(kFar));
  EXPECT_FALSE(core_.Present(0x0008)) << "00:01.0 exists only in domain 1";
  EXPECT_FALSE(core_.Present(0x10000));
  EXPECT_EQ(core_.SpaceSize(kHost), 256u);
  EXPECT_EQ(core_.SpaceSize(kFar), 4096u);
}

TEST_F(LinuxCoreOnFakeTree, ReadsEachWidthLittleEndian) {
  EXPECT_EQ(core_.ReadConfig(kHost, 0, 4), 0x12378086u);
  EXPECT_EQ(core_.ReadConfig(kHost, 0x10, 4), 0x13121110u);
  EXPECT_EQ(core_.ReadConfig(kHost, 0x22, 2), 0x2322u);
  EXPECT_EQ(core_.ReadConfig(kHost, 0xFF, 1), 0xFFu);
  EXPECT_EQ(core_.ReadConfig(kFar, 0xFFC, 4), 0xFFFEFDFCu);
}

TEST_F(LinuxCoreOnFakeTree, RefusesBadArgumentsWithoutTouchingTheFile) {
  EXPECT_FALSE(core_.ReadConfig(kHost, 0x100, 1)) << "no extended space";
  EXPECT_FALSE(core_.ReadConfig(kHost, 0x2, 4));
  EXPECT_FALSE(core_.ReadConfig(kHost, 0x1, 2));
  EXPECT_FALSE(core_.ReadConfig(kHost, 0, 3));
  EXPECT_FALSE(core_.ReadConfig(kFar, 0x1000, 1));
  EXPECT_FALSE(core_.ReadConfig(0x0008, 0, 4));
  EXPECT_FALSE(core_.ReadConfig(0x10000, 0, 4));
  EXPECT_FALSE(core_.WriteConfig(kHost, 0xFE, 4, 0));
  EXPECT_FALSE(core_.WriteConfig(kHost, 0x100, 4, 0));
  EXPECT_FALSE(core_.WriteConfig(0x0008, 0x40, 4, 0));
  EXPECT_EQ(std::filesystem::file_size(dir_.path() / "devices/0000:00:00.0/config"), 256u);
}

TEST_F(LinuxCoreOnFakeTree, WritesGoStraightToTheDevice) {
  ASSERT_TRUE(core_.WriteConfig(kHost, 0x40, 4, 0xA1B2C3D4));
  ASSERT_TRUE(core_.WriteConfig(kFar, 0x802, 2, 0xBEEF));
  ASSERT_TRUE(core_.WriteConfig(kFar, 0xFFF, 1, 0x5A));
  EXPECT_EQ(core_.ReadConfig(kHost, 0x40, 4), 0xA1B2C3D4u);
  EXPECT_EQ(core_.ReadConfig(kFar, 0x800, 4), 0xBEEF0100u);
  // A second core sees the bytes in the file: nothing was cached.
  Core other(dir_.path().string());
  ASSERT_TRUE(other.Init());
  EXPECT_EQ(other.ReadConfig(kHost, 0x42, 2), 0xA1B2u);
  EXPECT_EQ(other.ReadConfig(kFar, 0xFFF, 1), 0x5Au);
}

TEST_F(LinuxCoreOnFakeTree, EmulatesTheConfigurationPorts) {
  EXPECT_TRUE(core_.WritePort(0xCF8, 0x8002FF00));
  EXPECT_EQ(core_.ReadPort(0xCF8), 0x8002FF00u);
  EXPECT_EQ(core_.ReadPort(0xCFC), 0x816810ECu);
  core_.WritePort(0xCF8, 0x80000010);
  EXPECT_EQ(core_.ReadPort(0xCFC), 0x13121110u);
  core_.WritePort(0xCF8, 0x80000800);  // 00:01.0 of domain 0 does not exist
  EXPECT_EQ(core_.ReadPort(0xCFC), 0xFFFFFFFFu);
  EXPECT_FALSE(core_.WritePort(0xCFC, 0));
  EXPECT_FALSE(core_.WritePort(0x80, 0));
  EXPECT_FALSE(core_.ReadPort(0xCFD));
  EXPECT_FALSE(core_.ReadPort(0x80));
  EXPECT_EQ(core_.ReadPort(0xCF8), 0x80000800u) << "failed writes leave the latch";
}

TEST(LinuxCoreInit, FailsCleanlyWithoutAnyUsableTree) {
  test::TempDir dir;
  Core missing((dir.path() / "nothing").string());
  EXPECT_FALSE(missing.Init());
  EXPECT_NE(missing.error().find("Cannot open"), std::string::npos) << missing.error();
  EXPECT_FALSE(missing.ReadConfig(0, 0, 4));

  // A device entry whose name libpci cannot parse trips its error hook in mid-scan.
  std::filesystem::create_directories(dir.path() / "broken/devices/not-a-device");
  Core broken((dir.path() / "broken").string());
  EXPECT_FALSE(broken.Init());
  EXPECT_NE(broken.error().find("not-a-device"), std::string::npos) << broken.error();
}

// Where sysfs cannot be used, the kernel's /proc tree serves: the same functions, the same bytes.
// Reads only.
TEST(LinuxCoreInit, FallsBackToProcWithTheSameView) {
  if (!std::filesystem::exists("/proc/bus/pci/devices") ||
      !std::filesystem::exists("/sys/bus/pci/devices")) {
    GTEST_SKIP() << "this machine shows no PCI bus";
  }
  Core sysfs;
  ASSERT_TRUE(sysfs.Init()) << sysfs.error();
  Core proc("/nonexistent/sysfs", "/proc/bus/pci");
  ASSERT_TRUE(proc.Init()) << proc.error();
  int functions = 0;
  for (uint32_t location = 0; location < 0x10000; ++location) {
    ASSERT_EQ(proc.Present(location), sysfs.Present(location)) << location;
    if (!sysfs.Present(location)) continue;
    ++functions;
    EXPECT_EQ(proc.ReadConfig(location, 0, 4), sysfs.ReadConfig(location, 0, 4)) << location;
    EXPECT_EQ(proc.ReadConfig(location, 0x3C, 1), sysfs.ReadConfig(location, 0x3C, 1));
  }
  EXPECT_GT(functions, 0);
}

size_t OpenDescriptors() {
  return static_cast<size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                           std::filesystem::directory_iterator()));
}

// libpci leaves its scan through the error hook with the device folder open; a refused tree
// must cost nothing, however often it is tried.
TEST(LinuxCoreInit, FailedInitsLeaveNoDescriptorOpen) {
  test::TempDir dir;
  test::AddFakeFunction(dir.path(), "0000:00:00.0", test::CountingConfig(256, 0x8086, 0x1237));
  std::filesystem::create_directories(dir.path() / "devices/zz-not-a-device");
  const size_t before = OpenDescriptors();
  for (int i = 0; i < 100; ++i) EXPECT_FALSE(Core(dir.path().string()).Init());
  EXPECT_EQ(OpenDescriptors(), before);
}

// More functions than the process may open files, and more than it keeps room for besides: each
// is still there and reads, and the limit is given back afterwards as the test found it.
TEST(LinuxCoreInit, FunctionsPastTheDescriptorLimitStillAnswer) {
  constexpr uint32_t kFunctions = 5 * 256;
  rlimit found{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &found), 0);
  if (found.rlim_max < kFunctions + 2048) GTEST_SKIP() << "the hard limit leaves no room";
  test::TempDir dir;
  for (uint32_t location = 0; location < kFunctions; ++location) {
    char name[16];
    std::snprintf(name, sizeof name, "0000:%02x:%02x.%u", location >> 8, location >> 3 & 0x1F,
                  location & 7);
    test::AddFakeFunction(
        dir.path(), name,
        test::CountingConfig(256, 0x8086, static_cast<uint16_t>(0x1000 + location)));
  }
  rlimit tight = found;
  tight.rlim_cur = OpenDescriptors() + 8;
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &tight), 0);
  {
    Core core(dir.path().string());
    const bool ready = core.Init();
    setrlimit(RLIMIT_NOFILE, &found);
    ASSERT_TRUE(ready) << core.error();
    uint32_t answering = 0;
    for (uint32_t location = 0; location < kFunctions; ++location) {
      answering += core.ReadConfig(location, 0, 4) == 0x10008086u + (location << 16);
    }
    EXPECT_EQ(answering, kFunctions);
  }
}

// A device path too long for libpci's name buffer: the core opens the files itself, so the
// function reads and takes writes like any other.
TEST(LinuxCoreInit, ADevicePathTooLongForLibpciStillServes) {
  test::TempDir dir;
  std::filesystem::path root = dir.path();
  while (root.string().size() < 1000) root /= std::string(100, 'd');
  root = std::filesystem::path(root.string().substr(0, 1000));
  test::AddFakeFunction(root, "0000:00:00.0", test::CountingConfig(256, 0x8086, 0x1237));
  Core core(root.string());
  ASSERT_TRUE(core.Init()) << core.error();
  ASSERT_TRUE(core.Present(0));
  EXPECT_EQ(core.ReadConfig(0, 0, 4), 0x12378086u);
  EXPECT_TRUE(core.WriteConfig(0, 0x40, 4, 0x0A0B0C0D));
  EXPECT_EQ(core.ReadConfig(0, 0x40, 4), 0x0A0B0C0Du);
}

// No exception from a core leaves an entry point: it comes out as a failure, reads storing
// all-ones.
TEST(EntryShim, ExceptionsBecomeFailures) {
  struct ThrowingCore {
    std::optional<uint32_t> ReadConfig(uint32_t, uint32_t, uint32_t) { throw std::bad_alloc(); }
    bool WriteConfig(uint32_t, uint32_t, uint32_t, uint32_t) { throw std::runtime_error("w"); }
    std::optional<uint32_t> ReadPort(uint32_t) { throw 1; }
    bool WritePort(uint32_t, uint32_t) { throw std::bad_alloc(); }
  } core;
  uint16_t word = 0;
  uint32_t dword = 0;
  EXPECT_EQ(ReadConfigEntry(&core, 0, 0, &word), 0u);
  EXPECT_EQ(word, 0xFFFFu);
  EXPECT_EQ(ReadPortEntry(&core, 0xCFC, &dword), 0u);
  EXPECT_EQ(dword, 0xFFFFFFFFu);
  EXPECT_EQ(WriteConfigEntry(&core, 0, 0, uint8_t{1}), 0u);
  EXPECT_EQ(WritePortEntry(&core, 0xCF8, 0), 0u);
}

// A write the kernel refuses is a failed write, never reported as done: here the function's
// config file is /dev/full, which reads as zeros and takes no write.
TEST(LinuxCore, AWriteTheKernelRefusesFails) {
  test::TempDir dir;
  std::filesystem::create_directories(dir.path() / "devices/0000:00:00.0");
  std::filesystem::create_symlink("/dev/full", dir.path() / "devices/0000:00:00.0/config");
  Core core(dir.path().string());
  ASSERT_TRUE(core.Init()) << core.error();
  EXPECT_EQ(core.ReadConfig(0, 0x40, 4), 0u);
  EXPECT_FALSE(core.WriteConfig(0, 0x40, 4, 1));
  EXPECT_FALSE(core.WriteConfig(0, 0x41, 1, 1));
}

}  // namespace
}  // namespace qbus::access::linux_pci
