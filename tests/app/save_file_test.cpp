// SPDX-License-Identifier: GPL-3.0-or-later
// A file is written whole or not at all, and a refusal names the file and the reason.
#include "app/save_file.h"

#include <algorithm>
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
  }
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    left.push_back(entry.path().filename().string());
  }
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"folder", "new.txt", "old.txt"}));
  EXPECT_TRUE(std::filesystem::is_empty(dir.path() / "folder"));
}

// The pieces reach the file only at Commit, which replaces it: until then, and for good when
// the writer goes without one (a cancelled save), the old file is as it was and nothing is left.
TEST(SaveFile, PiecesReplaceTheFileOnlyAtCommit) {
  const struct {
    const char* name;
    bool commit;
    const char* contents;
  } kRows[] = {
      {"committed", true, "00:00.0\n00: 86 80\n\n01:00.0\n00: de 10\n\n"},
      {"cancelled", false, "an older text, longer than both pieces"},
  };
  for (const auto& [name, commit, contents] : kRows) {
    SCOPED_TRACE(name);
    test::TempDir dir;
    const std::filesystem::path path = dir.path() / "all.txt";
    std::ofstream(path) << "an older text, longer than both pieces";
    {
      WholeFileWriter file(path.string());
      EXPECT_TRUE(file.Append("00:00.0\n00: 86 80\n\n"));
      EXPECT_TRUE(file.Append("01:00.0\n00: de 10\n\n"));
      std::ifstream before(path);
      EXPECT_EQ(std::string(std::istreambuf_iterator<char>(before), {}),
                "an older text, longer than both pieces")
          << "written in place";
      if (commit) {
        EXPECT_EQ(file.Commit(), "");
      }
    }
    std::ifstream in(path);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), contents);
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
      left.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(left, std::vector<std::string>{"all.txt"});
  }
}

// The process's umask for one scope.
class ScopedUmask {
 public:
  explicit ScopedUmask(mode_t mask) : old_(umask(mask)) {}
  ~ScopedUmask() { umask(old_); }
  ScopedUmask(const ScopedUmask&) = delete;
  ScopedUmask& operator=(const ScopedUmask&) = delete;

 private:
  mode_t old_;
};

// A new file gets 0666 less the umask the process has at the save, which the save leaves as it
// was.
TEST(SaveFile, ANewFileGetsTheModesTheUmaskLeaves) {
  test::TempDir dir;
  const struct {
    mode_t mask;
    mode_t mode;
  } kRows[] = {
      {077, 0600},  // private: not a fixed 0644
      {000, 0666},  // none: not a mask of at least 022
  };
  for (const auto& [mask, mode] : kRows) {
    SCOPED_TRACE(testing::Message() << "umask " << std::oct << std::showbase << mask);
    const std::filesystem::path path = dir.path() / ("new" + std::to_string(mask) + ".txt");
    ScopedUmask scoped(mask);
    EXPECT_EQ(WriteFileWhole(path.string(), "new"), "");
    EXPECT_EQ(umask(mask), mask) << "the save left another umask";
    struct stat status {};
    ASSERT_EQ(stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, mode);
  }
}

// A replaced file keeps its modes (a private copy stays private), whatever the umask, and its
// owner and group where the saver may give them: root any, a user a group of their own.
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
  {
    ScopedUmask scoped(077);  // which the modes of a replaced file do not pass through
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
  }
  // A group of the saver's own besides its current one, where it has one.
  gid_t groups[64];
  const int count = std::max(getgroups(64, groups), 0);
  const gid_t* other =
      std::find_if(groups, groups + count, [](gid_t group) { return group != getegid(); });
  const struct {
    const char* name;
    bool by_root;
    uid_t uid;
    gid_t gid;
  } kOwners[] = {
      {"another's, in another group", true, 65534, 65533},  // the group is not the owner's id
      {"root's, in another group", true, 0, 65533},         // the group alone differs
      {"mine, in another group of mine", false, geteuid(),  // not root alone gives a group back
       other == groups + count ? getegid() : *other},
  };
  for (const auto& row : kOwners) {
    if (row.by_root != (geteuid() == 0) || row.gid == getegid()) continue;
    SCOPED_TRACE(row.name);
    const std::filesystem::path path = dir.path() / "owned.txt";
    std::filesystem::remove(path);
    std::ofstream(path) << "old";
    ASSERT_EQ(chown(path.c_str(), row.uid, row.gid), 0);
    EXPECT_EQ(WriteFileWhole(path.string(), "new"), "");
    struct stat status {};
    ASSERT_EQ(stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_uid, row.uid);
    EXPECT_EQ(status.st_gid, row.gid);
  }
}

}  // namespace
}  // namespace qbus::app
