// SPDX-License-Identifier: GPL-3.0-or-later
// A save whose file system fails or stops at each step: the file it replaces is whole, old or
// new, never a mixture; a refusal names the step's error; no temporary file outlives a refusal.
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <sys/resource.h>
#include <vector>

#include "app/file_system.h"
#include "app/save_file.h"
#include "tests/app/program_fixture.h"
#include "tests/support/temp_dir.h"

namespace qbus::app {
namespace {

enum class Step {
  kNone,
  kOpenFolder,
  kCreate,
  kChangeOwner,
  kChangeMode,
  kWrite,
  kSync,
  kClose,
  kRename
};

// The real file system, but the `nth` call of `step` fails with `error`; a cut stops the process
// there instead: that call and every later one does nothing, as when the process is killed.
class FaultyFileSystem : public FileSystem {
 public:
  FaultyFileSystem(Step step, int nth, int error, bool cut)
      : step_(step), nth_(nth), error_(error), cut_(cut) {}

  int OpenFolder(const std::string& path) override {
    folders.push_back(path);
    return Hit(Step::kOpenFolder) ? -1 : Opened(FileSystem::OpenFolder(path));
  }
  int OpenAt(int folder, const std::string& name, int flags, mode_t mode) override {
    if (Hit(Step::kCreate)) return -1;
    // Another user's file already at the first name the save picks must be left alone.
    if (plant && !planted_) {
      planted_ = true;
      const int fd = FileSystem::OpenAt(folder, name, O_WRONLY | O_CREAT | O_EXCL, 0644);
      FileSystem::Write(fd, "planted", 7);
      FileSystem::Close(fd);
    }
    return Opened(FileSystem::OpenAt(folder, name, flags, mode));
  }
  int StatAt(int folder, const std::string& name, struct stat* status) override {
    const int result = FileSystem::StatAt(folder, name, status);
    if (result == 0 && owner) status->st_uid = 4242, status->st_gid = 4343;
    return result;
  }
  int ChangeOwner(int fd, uid_t uid, gid_t gid) override {
    owners.push_back(std::to_string(uid) + ":" + std::to_string(gid));
    // Only the record: a test is not root everywhere, and the owner is the row's invention.
    return Hit(Step::kChangeOwner) || fd < 0 ? -1 : 0;
  }
  int ChangeMode(int fd, mode_t mode) override {
    modes.push_back(mode);
    return Hit(Step::kChangeMode) ? -1 : FileSystem::ChangeMode(fd, mode);
  }
  ssize_t Write(int fd, const char* data, size_t size) override {
    // Short writes, so a save that stops early shows.
    return Hit(Step::kWrite) ? -1 : FileSystem::Write(fd, data, std::min<size_t>(size, 3));
  }
  int Sync(int fd) override { return Hit(Step::kSync) ? -1 : FileSystem::Sync(fd); }
  int Close(int fd) override {
    if (dead_) return Hit(Step::kClose), -1;
    --open;
    if (!Hit(Step::kClose)) return FileSystem::Close(fd);
    FileSystem::Close(fd);  // close fails after releasing the descriptor
    return -1;
  }
  int RenameAt(int folder, const std::string& from, const std::string& to) override {
    return Hit(Step::kRename) ? -1 : FileSystem::RenameAt(folder, from, to);
  }
  int UnlinkAt(int folder, const std::string& name) override {
    return Hit(Step::kNone) ? -1 : FileSystem::UnlinkAt(folder, name);
  }
  mode_t CreationMask() override { return mask; }
  uid_t User() override { return owner ? 0 : FileSystem::User(); }

  mode_t mask = 022;
  bool plant = false;  // plant another file at the first temporary name
  bool owner = false;  // the replaced file belongs to 4242:4343, the saver to 0:0
  std::vector<std::string> folders;
  std::vector<std::string> owners;
  std::vector<mode_t> modes;
  int open = 0;  // descriptors the save opened and has not closed

  int Opened(int fd) {
    if (fd >= 0) ++open;
    return fd;
  }

 private:
  bool Hit(Step step) {
    if (dead_) return errno = EIO, true;
    if (step != step_ || ++count_ != nth_) return false;
    dead_ = cut_;
    errno = error_;
    return true;
  }

  Step step_;
  int nth_;
  int error_;
  bool cut_;
  int count_ = 0;
  bool dead_ = false;
  bool planted_ = false;
};

std::string Contents(const std::filesystem::path& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> Left(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    names.push_back(name.rfind(".quoril-bus-save-", 0) == 0 ? "(temporary)" : name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(SaveFaults, AFailedOrCutStepLeavesTheOldFileWhole) {
  const struct {
    const char* name;
    Step step;
    int nth;
    int error;
    bool cut;
    const char* refusal;  // after "Cannot write PATH"; empty: saved
    const char* contents;
    std::vector<std::string> left;
  } kRows[] = {
      {"folder", Step::kOpenFolder, 1, EACCES, false, ": Permission denied", "old", {"t.txt"}},
      {"create", Step::kCreate, 1, EDQUOT, false, ": Disk quota exceeded", "old", {"t.txt"}},
      {"mode", Step::kChangeMode, 1, EPERM, false, ": Operation not permitted", "old", {"t.txt"}},
      {"second write",
       Step::kWrite,
       2,
       ENOSPC,
       false,
       ": No space left on device",
       "old",
       {"t.txt"}},
      {"file sync", Step::kSync, 1, EIO, false, ": Input/output error", "old", {"t.txt"}},
      {"close", Step::kClose, 1, EIO, false, ": Input/output error", "old", {"t.txt"}},
      {"rename", Step::kRename, 1, EXDEV, false, ": Invalid cross-device link", "old", {"t.txt"}},
      // The folder's own sync comes after the rename: the file is saved.
      {"folder sync", Step::kSync, 2, EIO, false, "", "new text", {"t.txt"}},
      // Killed part of the way: the temporary stays, the file is the old one.
      {"cut in write",
       Step::kWrite,
       2,
       EIO,
       true,
       ": Input/output error",
       "old",
       {"(temporary)", "t.txt"}},
      {"cut at rename",
       Step::kRename,
       1,
       EIO,
       true,
       ": Input/output error",
       "old",
       {"(temporary)", "t.txt"}},
      {"cut after rename", Step::kSync, 2, EIO, true, "", "new text", {"t.txt"}},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.name);
    test::TempDir dir;
    const std::filesystem::path path = dir.path() / "t.txt";
    std::ofstream(path) << "old";
    FaultyFileSystem fs(row.step, row.nth, row.error, row.cut);
    const std::string refusal = WriteFileWhole(path.string(), "new text", fs);
    EXPECT_EQ(refusal, *row.refusal ? "Cannot write " + path.string() + row.refusal : "");
    EXPECT_EQ(Contents(path), row.contents);
    EXPECT_EQ(Left(dir.path()), row.left);
    if (!row.cut) {
      EXPECT_EQ(fs.open, 0) << "a descriptor left open";
    }
  }
}

// A save written piece by piece and stopped part of the way, by a failed write or by Cancel
// (the writer goes without a Commit): no later piece is taken, the old file is whole, and
// neither the temporary file nor a descriptor is left.
TEST(SaveFaults, AStreamStoppedPartWayLeavesTheOldFileWhole) {
  const struct {
    const char* name;
    Step step;
    int nth;
    bool commit;
    const char* refusal;  // after "Cannot write PATH"; empty: none
  } kRows[] = {
      // Writes take 3 bytes at most: "new " is the first two, "text" fails at once.
      {"write fails in the second piece", Step::kWrite, 3, true, ": No space left on device"},
      {"cancelled after the pieces", Step::kNone, 0, false, ""},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.name);
    test::TempDir dir;
    const std::filesystem::path path = dir.path() / "t.txt";
    std::ofstream(path) << "old";
    FaultyFileSystem fs(row.step, row.nth, ENOSPC, false);
    const std::string refusal = *row.refusal ? "Cannot write " + path.string() + row.refusal : "";
    {
      WholeFileWriter file(path.string(), fs);
      EXPECT_TRUE(file.Append("new "));
      EXPECT_EQ(file.Append("text"), refusal.empty());
      EXPECT_EQ(file.Append("more"), refusal.empty());
      EXPECT_EQ(row.commit ? file.Commit() : file.refusal(), refusal);
    }
    EXPECT_EQ(Contents(path), "old");
    EXPECT_EQ(Left(dir.path()), std::vector<std::string>{"t.txt"});
    EXPECT_EQ(fs.open, 0) << "a descriptor left open";
  }
}

TEST(SaveFaults, TheFolderModesAndOwnerComeFromTheRightPlace) {
  {
    SCOPED_TRACE("the folder each path names");
    const struct {
      const char* path;
      const char* folder;
    } kRows[] = {{"/x.txt", "/"}, {"x.txt", "."}, {"a/b/x.txt", "a/b"}, {"/a/x", "/a"}};
    for (const auto& [path, folder] : kRows) {
      FaultyFileSystem fs(Step::kOpenFolder, 1, ENOENT, false);
      EXPECT_EQ(WriteFileWhole(path, "x", fs),
                std::string("Cannot write ") + path + ": No such file or directory");
      EXPECT_EQ(fs.folders, std::vector<std::string>{folder}) << path;
    }
  }
  {
    SCOPED_TRACE("a new file's modes follow the creation mask");
    const struct {
      mode_t mask;
      mode_t mode;
    } kRows[] = {{077, 0600}, {000, 0666}, {022, 0644}, {027, 0640}};
    for (const auto& [mask, mode] : kRows) {
      test::TempDir dir;
      FaultyFileSystem fs(Step::kNone, 0, 0, false);
      fs.mask = mask;
      EXPECT_EQ(WriteFileWhole((dir.path() / "n.txt").string(), "x", fs), "");
      EXPECT_EQ(fs.modes, std::vector<mode_t>{mode}) << std::oct << mask;
    }
  }
  {
    SCOPED_TRACE("a replaced file keeps its owner and its group, even when that fails");
    for (const Step step : {Step::kNone, Step::kChangeOwner}) {
      test::TempDir dir;
      const std::filesystem::path path = dir.path() / "theirs.txt";
      std::ofstream(path) << "old";
      FaultyFileSystem fs(step, 1, EPERM, false);
      fs.owner = true;
      EXPECT_EQ(WriteFileWhole(path.string(), "new", fs), "");
      EXPECT_EQ(fs.owners, std::vector<std::string>{"4242:4343"});
      EXPECT_EQ(Contents(path), "new");
    }
  }
  {
    SCOPED_TRACE("a file already at the temporary name is another's");
    test::TempDir dir;
    FaultyFileSystem fs(Step::kNone, 0, 0, false);
    fs.plant = true;
    EXPECT_EQ(WriteFileWhole((dir.path() / "t.txt").string(), "new", fs), "");
    EXPECT_EQ(Left(dir.path()), (std::vector<std::string>{"(temporary)", "t.txt"}));
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
      if (entry.path().filename() != "t.txt") {
        EXPECT_EQ(Contents(entry.path()), "planted");
      }
    }
    EXPECT_EQ(Contents(dir.path() / "t.txt"), "new");
  }
}

// The process's file-size limit for one scope: a write past it fails with "File too large" (the
// signal it would raise is ignored meanwhile).
class ScopedFileSizeLimit {
 public:
  explicit ScopedFileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &old_);
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
    old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
  }
  ~ScopedFileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, old_handler_);
  }
  ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
  ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;

 private:
  rlimit old_{};
  void (*old_handler_)(int) = nullptr;
};

using SaveAllFaults = test::ProgramTest;

// Save all of names.dump (three functions, about 900 bytes of text each) where files may not pass
// 1,500 bytes: the second function's write fails, the save stops and says why, and the folder is
// left empty.
TEST_F(SaveAllFaults, AWriteFailingPartOfTheWayStopsTheSave) {
  setenv("QUORILBUS_SIM_DUMP", QBUS_TEST_DUMPS "/names.dump", 1);
  const std::filesystem::path folder = dir_.path() / "saves";
  std::filesystem::create_directory(folder);
  AnswerMessageBoxes();
  user_.Then("Save all", [&] {
    SaveTo(folder / "all.txt");
    const ScopedFileSizeLimit limit(1500);
    ListCommand("Save all...")->trigger();
  });
  user_.Then("EXIT", [this] { test::Click(layer(), controls::kExitButton); });
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(messages_,
            std::vector<std::string>{"Save all functions|Cannot write " +
                                     (folder / "all.txt").string() + ": File too large"});
  EXPECT_TRUE(std::filesystem::is_empty(folder));
}

}  // namespace
}  // namespace qbus::app
