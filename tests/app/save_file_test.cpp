// SPDX-License-Identifier: GPL-3.0-or-later
// A file is written whole or not at all, and a refusal names the file and the reason.
#include "app/save_file.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/temp_dir.h"

namespace qbus::app {
namespace {

TEST(SaveFile, WritesWholeOrLeavesNothing) {
  test::TempDir dir;
  std::filesystem::create_directory(dir.path() / "folder");
  std::ofstream(dir.path() / "old.txt") << "an older, longer text";
  const struct {
    const char* name;
    const char* refusal;  // empty: written
  } kRows[] = {
      {"new.txt", ""},
      {"old.txt", ""},  // replaced, not appended to or left longer
      {"missing/x.txt", "No such file or directory"},
      {"old.txt/x.txt", "Not a directory"},
      {"folder", "Is a directory"},  // the temporary file was written, then could not be renamed
  };
  for (const auto& [name, refusal] : kRows) {
    SCOPED_TRACE(name);
    const std::filesystem::path path = dir.path() / name;
    const std::string written = WriteFileWhole(path.string(), "00:00.0\n00: 86 80\n\n");
    if (*refusal != '\0') {
      EXPECT_EQ(written, "Cannot write " + path.string() + ": " + refusal);
      continue;
    }
    EXPECT_EQ(written, "");
    std::ifstream in(path);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "00:00.0\n00: 86 80\n\n");
    struct stat status {};
    ASSERT_EQ(stat(path.c_str(), &status), 0);
    const mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(status.st_mode & 0777, 0666 & ~mask) << "the modes of any new file";
  }
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    left.push_back(entry.path().filename().string());
  }
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"folder", "new.txt", "old.txt"}));
  EXPECT_TRUE(std::filesystem::is_empty(dir.path() / "folder"));
}

// A replaced file keeps its modes (a private copy stays private); a new file gets the umask's.
TEST(SaveFile, AReplacedFileKeepsItsModes) {
  test::TempDir dir;
  const struct {
    const char* name;
    int old_mode;
    mode_t mode;
  } kRows[] = {
      {"private.txt", 0600, 0600},
      {"group.txt", 0640, 0640},
      {"odd.txt", 0604, 0604},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.name);
    const std::filesystem::path path = dir.path() / row.name;
    std::ofstream(path) << "old";
    ASSERT_EQ(chmod(path.c_str(), static_cast<mode_t>(row.old_mode)), 0);
    EXPECT_EQ(WriteFileWhole(path.string(), "new"), "");
    struct stat status {};
    ASSERT_EQ(stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, row.mode);
  }
  if (geteuid() != 0) return;  // only root may give a file away
  const std::filesystem::path theirs = dir.path() / "theirs.txt";
  std::ofstream(theirs) << "old";
  ASSERT_EQ(chown(theirs.c_str(), 65534, 65534), 0);
  EXPECT_EQ(WriteFileWhole(theirs.string(), "new"), "");
  struct stat status {};
  ASSERT_EQ(stat(theirs.c_str(), &status), 0);
  EXPECT_EQ(status.st_uid, 65534u) << "a file root saves over keeps its owner";
  EXPECT_EQ(status.st_gid, 65534u);
}

}  // namespace
}  // namespace qbus::app
