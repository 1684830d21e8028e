// SPDX-License-Identifier: GPL-3.0-or-later
// Where the window takes its access library from: LD_LIBRARY_PATH's folders resolved against
// the directory the window was started in, never a fallback once a folder is named wrongly.
#include "hw/library_search.h"

#include <gtest/gtest.h>
#include <set>
#include <string>

namespace qbus::hw {
namespace {

constexpr char kFile[] = "libWinRing0x64.so";

// A file system of three folders; only /w/build/sim and /opt/qb hold the library.
const std::set<std::string> kFolders = {"/w", "/w/build", "/w/build/sim", "/opt/qb", "/root"};
const std::set<std::string> kFiles = {"/w/build/sim/libWinRing0x64.so",
                                      "/opt/qb/libWinRing0x64.so"};

struct Row {
  const char* name;
  const char* search_path;
  const char* current_directory;
  const char* file;     // what dlopen is given
  const char* refusal;  // "" when it starts
};

const Row kRows[] = {
    // Started where the library lies: an unset variable still searches no folder.
    {"unset: the RUNPATH", "", "/w/build/sim", "libWinRing0x64.so", ""},
    {"relative, from the source folder", "build/sim", "/w", "/w/build/sim/libWinRing0x64.so", ""},
    {"relative, from the build folder", "sim", "/w/build", "/w/build/sim/libWinRing0x64.so", ""},
    {"absolute", "/opt/qb", "/root", "/opt/qb/libWinRing0x64.so", ""},
    {"the first folder holding it wins", "/w/build:/opt/qb:build/sim", "/w",
     "/opt/qb/libWinRing0x64.so", ""},
    {"';' separates too", "/w;build/sim", "/w", "/w/build/sim/libWinRing0x64.so", ""},
    {"an empty entry is the current directory", "/w/build::/opt/qb", "/w/build/sim",
     "/w/build/sim/libWinRing0x64.so", ""},
    {"a trailing empty entry is the current directory", "/w:", "/w/build/sim",
     "/w/build/sim/libWinRing0x64.so", ""},
    {"folders without it: the RUNPATH", "/w:/w/build", "/w", "libWinRing0x64.so", ""},
    // The root shell's case: the relative folder means nothing from root's home.
    {"relative, from elsewhere", "build/sim", "/root", "",
     "LD_LIBRARY_PATH names /root/build/sim, which is not a folder"},
    {"a missing folder after one without it", "/w:/w/bulid/sim", "/w", "",
     "LD_LIBRARY_PATH names /w/bulid/sim, which is not a folder"},
    {"a file named as a folder", "/w/build/sim/libWinRing0x64.so", "/w", "",
     "LD_LIBRARY_PATH names /w/build/sim/libWinRing0x64.so, which is not a folder"},
    {"no current directory", "sim", "", "", "LD_LIBRARY_PATH names sim in an unknown directory"},
};

TEST(LibrarySearch, NamesTheLibraryTheCallerMeantOrRefuses) {
  const PathTest is_folder = [](const std::string& path) { return kFolders.count(path) != 0; };
  const PathTest is_file = [](const std::string& path) { return kFiles.count(path) != 0; };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.name);
    const LibraryChoice choice =
        ChooseLibraryFile(kFile, row.search_path, row.current_directory, is_folder, is_file);
    EXPECT_EQ(choice.file, row.file);
    EXPECT_EQ(choice.refusal, row.refusal);
  }
}

}  // namespace
}  // namespace qbus::hw
