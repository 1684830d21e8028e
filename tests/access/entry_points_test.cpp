// SPDX-License-Identifier: GPL-3.0-or-later
// Drives each built access library through its C entry points, loaded with dlopen as the
// program loads it.
#include <algorithm>
#include <cstdio>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <stdlib.h>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "hw/library_binding.h"
#include "tests/support/temp_dir.h"

namespace qbus {
namespace {

hw::LoadedLibrary OpenUninitialised(const char* path) {
  void* handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
  EXPECT_NE(handle, nullptr) << dlerror();
  hw::HardwareAccess access{};
  EXPECT_TRUE(hw::LookUpEntryPoints(handle, &access));
  return hw::LoadedLibrary(handle, access);
}

void NoMessage(const std::string& title, const std::string& text) {
  ADD_FAILURE() << "unexpected message " << title << " " << text;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Both libraries: before InitializeOls and after DeinitializeOls every access fails cleanly.
TEST(EntryPoints, EveryAccessFailsWhileNotInitialised) {
  for (const char* path : {QBUS_SIM_LIBRARY, QBUS_REAL_LIBRARY}) {
    for (const bool was_initialised : {false, true}) {
      SCOPED_TRACE(std::string(path) + (was_initialised ? " after DeinitializeOls" : ""));
      hw::LoadedLibrary library = OpenUninitialised(path);
      const hw::HardwareAccess& a = library.access;
      if (was_initialised) {
        if (a.InitializeOls() == 0) continue;  // the real machine may offer no access at all
        a.DeinitializeOls();
      }
      uint32_t dword = 0;
      uint16_t word = 0;
      uint8_t byte = 0;
      EXPECT_EQ(a.WriteIoPortDwordEx(0xCF8, 0x80000000), 0u);
      EXPECT_EQ(a.ReadIoPortDwordEx(0xCFC, &dword), 0u);
      EXPECT_EQ(dword, 0xFFFFFFFFu);
      EXPECT_EQ(a.ReadPciConfigDwordEx(0, 0, &dword), 0u);
      EXPECT_EQ(a.ReadPciConfigWordEx(0, 0, &word), 0u);
      EXPECT_EQ(word, 0xFFFFu);
      EXPECT_EQ(a.ReadPciConfigByteEx(0, 0, &byte), 0u);
      EXPECT_EQ(byte, 0xFFu);
      a.DeinitializeOls();  // harmless without InitializeOls
      library.Release();    // and again
    }
  }
}

class SimEntryPoints : public ::testing::Test {
 protected:
  void SetUp() override {
    trace_ = dir_.path() / "trace.txt";
    setenv("QUORILBUS_SIM_TRACE", trace_.c_str(), 1);
    unsetenv("QUORILBUS_SIM_DUMP");
    unsetenv("QUORILBUS_SIM_INIT");
    ASSERT_TRUE(hw::BindFile(QBUS_SIM_LIBRARY, NoMessage, &library_));
  }
  void TearDown() override {
    hw::Unbind(&library_);
    unsetenv("QUORILBUS_SIM_TRACE");
  }
  std::string Trace() { return ReadFile(trace_); }

  test::TempDir dir_;
  std::filesystem::path trace_;
  hw::LoadedLibrary library_;
};

TEST_F(SimEntryPoints, TracesEveryCallInTheDocumentedFormat) {
  const hw::HardwareAccess& a = library_.access;
  uint32_t dword = 0;
  uint16_t word = 0;
  uint8_t byte = 0;
  a.WriteIoPortDwordEx(0xCF8, 0x80001000);  // 00:02.0
  a.ReadIoPortDwordEx(0xCFC, &dword);
  a.ReadIoPortDwordEx(0xCF8, &dword);
  a.ReadPciConfigWordEx(0x10, 0x4, &word);
  a.WritePciConfigWordEx(0x10, 0x4, 0x406);
  a.ReadPciConfigByteEx(0x10, 0x3C, &byte);
  a.WritePciConfigByteEx(0x10, 0x3C, 0x0B);
  a.ReadPciConfigDwordEx(0x10, 0x3C, &dword);
  a.WritePciConfigDwordEx(0x10, 0x3, 0);
  a.ReadPciConfigDwordEx(0x10, 0x0, nullptr);
  a.ReadIoPortDwordEx(0x80, &dword);
  hw::Unbind(&library_);
  EXPECT_EQ(Trace(),
            "InitializeOls -> 0x1\n"
            "WriteIoPortDwordEx 0xCF8 0x80001000 -> 0x1\n"
            "ReadIoPortDwordEx 0xCFC -> 0x1 0x3E928086\n"
            "ReadIoPortDwordEx 0xCF8 -> 0x1 0x80001000\n"
            "ReadPciConfigWordEx 0x10 0x4 -> 0x1 0x407\n"
            "WritePciConfigWordEx 0x10 0x4 0x406 -> 0x1\n"
            "ReadPciConfigByteEx 0x10 0x3C -> 0x1 0xFF\n"
            "WritePciConfigByteEx 0x10 0x3C 0xB -> 0x1\n"
            "ReadPciConfigDwordEx 0x10 0x3C -> 0x1 0x10B\n"
            "WritePciConfigDwordEx 0x10 0x3 0x0 -> 0x0\n"
            "ReadPciConfigDwordEx 0x10 0x0 -> 0x0\n"
            "ReadIoPortDwordEx 0x80 -> 0x0 0xFFFFFFFF\n"
            "DeinitializeOls\n");
}

TEST_F(SimEntryPoints, BadArgumentsFailAndStoreAllOnes) {
  const hw::HardwareAccess& a = library_.access;
  uint32_t dword = 0;
  uint16_t word = 0;
  uint8_t byte = 0;
  EXPECT_EQ(a.ReadPciConfigDwordEx(0x10, 0x2, &dword), 0u);
  EXPECT_EQ(dword, 0xFFFFFFFFu);
  EXPECT_EQ(a.ReadPciConfigWordEx(0x10, 0x101, &word), 0u);
  EXPECT_EQ(word, 0xFFFFu);
  EXPECT_EQ(a.ReadPciConfigByteEx(0x10, 0x100, &byte), 0u) << "beyond 256 bytes";
  EXPECT_EQ(byte, 0xFFu);
  EXPECT_EQ(a.ReadPciConfigByteEx(0x10010, 0x0, &byte), 0u) << "location above 16 bits";
  EXPECT_EQ(a.ReadPciConfigByteEx(0x08, 0x0, &byte), 0u) << "absent function";
  EXPECT_EQ(a.ReadPciConfigByteEx(0x100, 0xFFF, &byte), 1u) << "extended space of 01:00.0";
  EXPECT_EQ(a.WritePciConfigWordEx(0x08, 0x4, 0), 0u);
  EXPECT_EQ(a.WriteIoPortDwordEx(0xCFC, 0), 0u) << "only the address port is written";
  EXPECT_EQ(a.WriteIoPortDwordEx(0x80, 0), 0u);
  EXPECT_EQ(a.ReadIoPortDwordEx(0xCFC, nullptr), 0u);
  EXPECT_EQ(a.ReadPciConfigSpaceEx(0x10, nullptr, 4096), 0u) << "no buffer";
  const uint32_t location = 0x10;
  uint32_t stored = 7;
  std::vector<uint8_t> bytes(256);
  EXPECT_EQ(a.ReadPciConfigSpaceBatchEx(nullptr, 1, 256, bytes.data(), &stored), 0u);
  EXPECT_EQ(a.ReadPciConfigSpaceBatchEx(&location, 1, 256, nullptr, &stored), 0u);
  EXPECT_EQ(a.ReadPciConfigSpaceBatchEx(&location, 1, 256, bytes.data(), nullptr), 0u);
  EXPECT_EQ(a.ReadPciConfigSpaceBatchEx(&location, 0x10001, 256, bytes.data(), &stored), 0u)
      << "more functions than a domain holds";
  EXPECT_EQ(stored, 7u) << "a refused call stored a size";
}

// A batch holds each function in its own slot, as the one-function read reads it; an absent one
// stores 0.
TEST_F(SimEntryPoints, ABatchReadsEachFunctionIntoItsSlot) {
  const hw::HardwareAccess& a = library_.access;
  const uint32_t locations[] = {0x100, 0x08, 0x10};
  std::vector<uint8_t> bytes(3 * 0x44, 0xEE);
  uint32_t stored[3] = {7, 7, 7};
  EXPECT_EQ(a.ReadPciConfigSpaceBatchEx(locations, 3, 0x44, bytes.data(), stored), 2u);
  EXPECT_EQ(std::vector<uint32_t>(stored, stored + 3), (std::vector<uint32_t>{0x44, 0, 0x44}));
  for (const size_t slot : {0, 2}) {
    std::vector<uint8_t> one(0x44);
    ASSERT_EQ(a.ReadPciConfigSpaceEx(locations[slot], one.data(), 0x44), 0x44u);
    EXPECT_TRUE(std::equal(one.begin(), one.end(), bytes.begin() + slot * 0x44)) << slot;
  }
  EXPECT_EQ(bytes[0x44], 0xEE) << "the absent function's slot was written";
}

TEST_F(SimEntryPoints, TheDataPortFollowsTheLatchedAddress) {
  const hw::HardwareAccess& a = library_.access;
  uint32_t value = 0;
  a.WriteIoPortDwordEx(0xCF8, 0x8001002C);  // 01:00.0, register 0x2C
  EXPECT_EQ(a.ReadIoPortDwordEx(0xCFC, &value), 1u);
  EXPECT_EQ(value, 0x85051043u);
  a.WriteIoPortDwordEx(0xCF8, 0x8001002F);  // low two bits are ignored
  a.ReadIoPortDwordEx(0xCFC, &value);
  EXPECT_EQ(value, 0x85051043u);
  a.WriteIoPortDwordEx(0xCF8, 0x0001002C);  // enable bit clear
  a.ReadIoPortDwordEx(0xCFC, &value);
  EXPECT_EQ(value, 0xFFFFFFFFu);
  a.WriteIoPortDwordEx(0xCF8, 0x80FFFF00);  // absent 255:31.7
  value = 0;
  EXPECT_EQ(a.ReadIoPortDwordEx(0xCFC, &value), 1u);
  EXPECT_EQ(value, 0xFFFFFFFFu);
}

// Whatever the variable names, the library loads only a regular file of sane size, never
// blocks, and says in one line which file it refused and why.
TEST(SimInitialise, FailsOnRequestAndOnUnusableDumps) {
  test::TempDir dir;
  const auto bad = dir.path() / "bad.dump";
  std::ofstream(bad) << "00:00.0 A: B\n00: 86 80\n00:00.0 A: B\n";
  const auto fifo = dir.path() / "fifo.dump";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const auto huge = dir.path() / "huge.dump";
  std::ofstream(huge).close();
  std::filesystem::resize_file(huge, (uint64_t{1} << 30) + 1);  // sparse: takes no disk
  const struct {
    std::string path, reason;
  } kUnusable[] = {
      {bad.string(), ":3: function given twice"},
      {(dir.path() / "missing.dump").string(), ": No such file or directory"},
      {dir.path().string(), ": not a regular file"},
      {fifo.string(), ": not a regular file"},
      {"/dev/zero", ": not a regular file"},
      {huge.string(), ": larger than the 1 GiB a dump may have"},
  };
  hw::LoadedLibrary library = OpenUninitialised(QBUS_SIM_LIBRARY);
  setenv("QUORILBUS_SIM_INIT", "fail", 1);
  EXPECT_EQ(library.access.InitializeOls(), 0u);
  unsetenv("QUORILBUS_SIM_INIT");
  for (const auto& [path, reason] : kUnusable) {
    SCOPED_TRACE(path);
    setenv("QUORILBUS_SIM_DUMP", path.c_str(), 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(library.access.InitializeOls(), 0u);
    const std::string error = testing::internal::GetCapturedStderr();
    EXPECT_NE(error.find(path + reason), std::string::npos) << error;
    EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
    uint8_t byte = 0;
    EXPECT_EQ(library.access.ReadPciConfigByteEx(0, 0, &byte), 0u) << "no half-loaded machine";
  }
  unsetenv("QUORILBUS_SIM_DUMP");
}

// A trace path that is not a plain file is refused, and nothing is written through it: a
// symbolic link is not followed (the file it points to stays as it was), a device is no file,
// and a FIFO with no reader does not block the library.
TEST(SimTrace, TracesOnlyToARegularFile) {
  test::TempDir dir;
  const auto target = dir.path() / "precious";
  std::ofstream(target) << "keep\n";
  const auto link = dir.path() / "link";
  std::filesystem::create_symlink(target, link);
  const auto fifo = dir.path() / "fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const struct {
    std::string path;
    std::string reason;
  } kRows[] = {
      {link.string(), "Too many levels of symbolic links"},
      {"/dev/null", "not a regular file"},
      {fifo.string(), "No such device or address"},
  };
  for (const auto& [path, reason] : kRows) {
    SCOPED_TRACE(path);
    setenv("QUORILBUS_SIM_TRACE", path.c_str(), 1);
    hw::LoadedLibrary library;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(hw::BindFile(QBUS_SIM_LIBRARY, NoMessage, &library));
    library.Release();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "quoril-bus simulator: cannot trace to " + path + ": " + reason + "\n");
  }
  unsetenv("QUORILBUS_SIM_TRACE");
  EXPECT_EQ(ReadFile(target), "keep\n");
}

// Every library: DeinitializeOls after an InitializeOls that failed is harmless, traces nothing
// and leaves every access failing cleanly.
TEST(EntryPoints, DeinitializeAfterAFailedInitialiseIsHarmless) {
  test::TempDir dir;
  const auto trace = dir.path() / "trace";
  setenv("QUORILBUS_SIM_INIT", "fail", 1);
  setenv("QUORILBUS_SIM_TRACE", trace.c_str(), 1);
  for (const char* path : {QBUS_SIM_LIBRARY, QBUS_ELEVATED_LIBRARY}) {
    SCOPED_TRACE(path);
    // The elevated library fails here only where there is no pkexec to start its helper.
    if (path == std::string(QBUS_ELEVATED_LIBRARY) && std::filesystem::exists("/usr/bin/pkexec")) {
      continue;
    }
    hw::LoadedLibrary library = OpenUninitialised(path);
    const hw::HardwareAccess& a = library.access;
    ASSERT_EQ(a.InitializeOls(), 0u);
    a.DeinitializeOls();
    uint32_t dword = 0;
    EXPECT_EQ(a.ReadPciConfigDwordEx(0, 0, &dword), 0u);
    EXPECT_EQ(dword, 0xFFFFFFFFu);
    EXPECT_EQ(a.WritePciConfigDwordEx(0, 0x40, 0), 0u);
  }
  unsetenv("QUORILBUS_SIM_INIT");
  unsetenv("QUORILBUS_SIM_TRACE");
  EXPECT_EQ(ReadFile(trace), "InitializeOls -> 0x0\n");
}

// Unprivileged, the library answers as the kernel answers a user without root: the first 64
// bytes of each function read, nothing above (the data port answers all-ones there, as for an
// absent function), and no configuration write goes through.
TEST_F(SimEntryPoints, UnprivilegedReadsTheFirst64BytesAndWritesNothing) {
  hw::Unbind(&library_);
  std::filesystem::remove(trace_);
  setenv("QUORILBUS_SIM_UNPRIVILEGED", "1", 1);
  ASSERT_TRUE(hw::BindFile(QBUS_SIM_LIBRARY, NoMessage, &library_));
  unsetenv("QUORILBUS_SIM_UNPRIVILEGED");
  const hw::HardwareAccess& a = library_.access;
  uint32_t dword = 0;
  uint8_t byte = 0;
  a.ReadPciConfigDwordEx(0x10, 0x3C, &dword);
  a.ReadPciConfigByteEx(0x10, 0x40, &byte);
  a.WritePciConfigByteEx(0x10, 0x3C, 0x0B);
  a.WriteIoPortDwordEx(0xCF8, 0x80001040);
  a.ReadIoPortDwordEx(0xCFC, &dword);
  a.WriteIoPortDwordEx(0xCF8, 0x80001000);
  a.ReadIoPortDwordEx(0xCFC, &dword);
  hw::Unbind(&library_);
  EXPECT_EQ(Trace(),
            "InitializeOls -> 0x1\n"
            "ReadPciConfigDwordEx 0x10 0x3C -> 0x1 0x1FF\n"
            "ReadPciConfigByteEx 0x10 0x40 -> 0x0 0xFF\n"
            "WritePciConfigByteEx 0x10 0x3C 0xB -> 0x0\n"
            "WriteIoPortDwordEx 0xCF8 0x80001040 -> 0x1\n"
            "ReadIoPortDwordEx 0xCFC -> 0x1 0xFFFFFFFF\n"
            "WriteIoPortDwordEx 0xCF8 0x80001000 -> 0x1\n"
            "ReadIoPortDwordEx 0xCFC -> 0x1 0x3E928086\n"
            "DeinitializeOls\n");
}

}  // namespace
}  // namespace qbus
