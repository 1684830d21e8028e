// SPDX-License-Identifier: GPL-3.0-or-later
// Binding through real dlopen by file name. CTest puts the simulated library and the partial
// test library on LD_LIBRARY_PATH, which dlopen reads only at process start.
#include <dlfcn.h>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <stdlib.h>
#include <string>
#include <vector>

#include "hw/library_binding.h"
#include "tests/support/temp_dir.h"

namespace qbus::hw {
namespace {

// The mapping, and that the build made the library under the name this process asks for.
TEST(LibraryFileName, OnlyTheX64ArchitectureSelectsTheX64Library) {
  EXPECT_EQ(LibraryFileName(9), "libWinRing0x64.so");
  EXPECT_EQ(LibraryFileName(0), "libWinRing0.so");
  EXPECT_EQ(LibraryFileName(12), "libWinRing0.so");
  EXPECT_EQ(LibraryFileName(0xFFFF), "libWinRing0.so");
  EXPECT_EQ(LibraryFileName(ProcessArchitecture()), QBUS_ACCESS_FILE);
}

bool SimLoaded() {
  void* handle = dlopen(QBUS_ACCESS_FILE, RTLD_NOW | RTLD_NOLOAD);
  if (handle != nullptr) dlclose(handle);
  return handle != nullptr;
}

class Binding : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("QUORILBUS_SIM_TRACE", (dir_.path() / "trace").c_str(), 1);
    unsetenv("QUORILBUS_SIM_INIT");
  }
  void TearDown() override {
    unsetenv("QUORILBUS_SIM_TRACE");
    unsetenv("QUORILBUS_SIM_INIT");
    EXPECT_FALSE(SimLoaded());
  }
  std::string Trace() {
    std::stringstream text;
    text << std::ifstream(dir_.path() / "trace").rdbuf();
    return text.str();
  }
  ShowMessageFn Recorder() {
    return [this](const std::string& title, const std::string& text) {
      messages_.push_back(title + "|" + text + (SimLoaded() ? "|loaded" : "|unloaded"));
    };
  }

  test::TempDir dir_;
  std::vector<std::string> messages_;
};

TEST_F(Binding, SucceedsWithOneInitialiseAndOneDeinitialiseAtUnbind) {
  LoadedLibrary library;
  ASSERT_TRUE(Bind(Recorder(), &library));
  EXPECT_TRUE(library.loaded());
  EXPECT_NE(library.access.WritePciConfigByteEx, nullptr);
  EXPECT_EQ(Trace(), "InitializeOls -> 0x1\n");
  Unbind(&library);
  EXPECT_FALSE(library.loaded());
  Unbind(&library);  // a second unbind does nothing
  EXPECT_EQ(Trace(), "InitializeOls -> 0x1\nDeinitializeOls\n");
  EXPECT_TRUE(messages_.empty());
}

// The library releases itself when it goes, and a move hands it over without releasing it.
TEST_F(Binding, ALoadedLibraryIsReleasedOnceWhenItGoes) {
  {
    LoadedLibrary first;
    ASSERT_TRUE(Bind(Recorder(), &first));
    LoadedLibrary second = std::move(first);
    EXPECT_FALSE(first.loaded());
    EXPECT_TRUE(second.loaded());
    EXPECT_EQ(Trace(), "InitializeOls -> 0x1\n") << "the move released it";
  }
  EXPECT_EQ(Trace(), "InitializeOls -> 0x1\nDeinitializeOls\n");
}

TEST_F(Binding, AMissingFileShowsExactlyTheOpenMessage) {
  LoadedLibrary library;
  EXPECT_FALSE(BindFile("libQuorilBusNoSuchLibrary.so", Recorder(), &library));
  EXPECT_EQ(messages_, std::vector<std::string>{"Fehler !|Kann WinRing0 nicht öffnen !|unloaded"});
  EXPECT_FALSE(library.loaded());
  EXPECT_EQ(Trace(), "");
}

TEST_F(Binding, AFailingInitialiseUnloadsBeforeItsMessageAndNeverDeinitialises) {
  setenv("QUORILBUS_SIM_INIT", "fail", 1);
  LoadedLibrary library;
  EXPECT_FALSE(Bind(Recorder(), &library));
  EXPECT_EQ(messages_,
            std::vector<std::string>{"Fehler !|Kann WinRing0 nicht initialisieren !|unloaded"});
  EXPECT_FALSE(library.loaded());
  Unbind(&library);
  EXPECT_EQ(Trace(), "InitializeOls -> 0x0\n");
}

TEST_F(Binding, ALibraryLackingAnEntryPointIsAnOpenFailure) {
  LoadedLibrary library;
  EXPECT_FALSE(BindFile("libWinRing0Partial.so", Recorder(), &library));
  EXPECT_EQ(messages_, std::vector<std::string>{"Fehler !|Kann WinRing0 nicht öffnen !|unloaded"});
  void* partial = dlopen("libWinRing0Partial.so", RTLD_NOW | RTLD_NOLOAD);
  EXPECT_EQ(partial, nullptr) << "unloaded again";
}

}  // namespace
}  // namespace qbus::hw
