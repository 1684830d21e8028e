// SPDX-License-Identifier: GPL-3.0-or-later
// The real library on this machine, read-only, against pciutils' own tools. The elevated
// library's test runs these too (QBUS_LIBRARY_UNDER_TEST names it), with a fake pkexec.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <sstream>

#include "config_space/function_dump.h"
#include "hw/library_binding.h"
#include "register/register_access.h"
#include "tests/support/run_command.h"

namespace qbus {
namespace {

void NoMessage(const std::string& title, const std::string& text) {
  ADD_FAILURE() << title << " " << text;
}

std::string LibraryUnderTest() {
  const char* named = std::getenv("QBUS_LIBRARY_UNDER_TEST");
  return named != nullptr ? named : QBUS_REAL_LIBRARY;
}

class RealMachine : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists("/sys/bus/pci/devices") ||
        test::RunCommand("command -v lspci && command -v setpci").empty()) {
      GTEST_SKIP() << "no PCI bus in sysfs, or no pciutils";
    }
    ASSERT_TRUE(hw::BindFile(LibraryUnderTest(), NoMessage, &library_));
  }
  void TearDown() override { hw::Unbind(&library_); }

  hw::LoadedLibrary library_;
};

// "BB:DD.F" -> "VVVV:DDDD" for every domain-0 function that lspci lists.
std::map<std::string, std::string> FunctionsFromLspci() {
  std::map<std::string, std::string> functions;
  std::istringstream lines(test::RunCommand("lspci -n -D"));
  std::string address, cls, ids;
  while (lines >> address >> cls >> ids) {
    lines.ignore(1000, '\n');
    if (address.rfind("0000:", 0) == 0) functions[address.substr(5)] = ids;
  }
  return functions;
}

TEST_F(RealMachine, TheFullPortScanFindsExactlyWhatLspciLists) {
  std::map<std::string, std::string> found;
  uint32_t address = 0x80000000;
  uint32_t value = 0;
  for (uint32_t probe = 0; probe < 0x10000; ++probe, address += 0x100) {
    library_.access.WriteIoPortDwordEx(0xCF8, address);
    library_.access.ReadIoPortDwordEx(0xCFC, &value);
    if (value == 0xFFFFFFFF) continue;
    char name[16], ids[16];
    std::snprintf(name, sizeof name, "%02x:%02x.%x", probe >> 8, (probe >> 3) & 31, probe & 7);
    std::snprintf(ids, sizeof ids, "%04x:%04x", value & 0xFFFF, value >> 16);
    found[name] = ids;
  }
  const auto expected = FunctionsFromLspci();
  EXPECT_FALSE(expected.empty());
  EXPECT_EQ(found, expected);
}

TEST_F(RealMachine, ConfigurationReadsOfTheFirst64BytesAgreeWithSetpci) {
  for (const auto& [name, ids] : FunctionsFromLspci()) {
    SCOPED_TRACE(name);
    unsigned bus, device, function;
    ASSERT_EQ(std::sscanf(name.c_str(), "%x:%x.%x", &bus, &device, &function), 3);
    const uint32_t location = bus << 8 | device << 3 | function;
    std::string registers;
    char reg[16];
    for (int offset = 0; offset < 64; offset += 4) {
      std::snprintf(reg, sizeof reg, " %x.L", offset);
      registers += reg;
    }
    std::istringstream values(test::RunCommand("setpci -s " + name + registers));
    for (uint32_t offset = 0; offset < 64; offset += 4) {
      std::string text;
      ASSERT_TRUE(values >> text);
      const auto expected = static_cast<uint32_t>(std::stoul(text, nullptr, 16));
      uint32_t dword = 0;
      uint16_t word = 0;
      uint8_t byte = 0;
      EXPECT_EQ(library_.access.ReadPciConfigDwordEx(location, offset, &dword), 1u);
      EXPECT_EQ(dword, expected) << "offset " << offset;
      library_.access.ReadPciConfigWordEx(location, offset + 2, &word);
      EXPECT_EQ(word, expected >> 16);
      library_.access.ReadPciConfigByteEx(location, offset + 1, &byte);
      EXPECT_EQ(byte, (expected >> 8) & 0xFF);
    }
  }
}

// What the function view shows and saves of each function, in the text lspci prints: every
// byte lspci reads (4 KiB as root where the kernel gives it, else 256; 64 for a user).
TEST_F(RealMachine, WholeFunctionsAsSavedAgreeWithLspci) {
  const auto hex_lines = [](const std::string& dump) {
    return dump.substr(dump.find('\n') + 1);  // after the line that names the function
  };
  for (const auto& [name, ids] : FunctionsFromLspci()) {
    SCOPED_TRACE(name);
    unsigned bus, device, function;
    ASSERT_EQ(std::sscanf(name.c_str(), "%x:%x.%x", &bus, &device, &function), 3);
    const uint32_t location = bus << 8 | device << 3 | function;
    const regs::FunctionSpace space = regs::ReadFunctionSpace(library_.access, location);
    EXPECT_TRUE(space.whole) << space.why;
    const std::vector<uint8_t>& bytes = space.bytes;
    EXPECT_EQ(hex_lines(config_space::FormatFunctionDump(location, "", bytes)),
              hex_lines(test::RunCommand("lspci -xxxx -s " + name)));
  }
}

// Run by the elevated library's test with a pkexec that refuses: the binding reports it.
TEST(RefusedAuthentication, IsAFailedInitialisation) {
  if (std::getenv("QBUS_EXPECT_REFUSAL") == nullptr) GTEST_SKIP() << "not asked for";
  std::string shown;
  hw::LoadedLibrary library;
  EXPECT_FALSE(hw::BindFile(
      LibraryUnderTest(), [&](const std::string&, const std::string& text) { shown = text; },
      &library));
  EXPECT_EQ(shown, "Kann WinRing0 nicht initialisieren !");
}

}  // namespace
}  // namespace qbus
