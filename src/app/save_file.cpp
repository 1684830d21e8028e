// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/save_file.h"

#include <cassert>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace qbus::app {
namespace {

std::string Refusal(const std::string& path, int error) {
  return "Cannot write " + path + ": " + std::strerror(error);
}

bool WriteAll(FileSystem& fs, int fd, std::string_view text) {
  for (size_t done = 0; done < text.size();) {
    const ssize_t written = fs.Write(fd, text.data() + done, text.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    done += static_cast<size_t>(written);
  }
  return true;
}

// A new file of an unused name in `folder`, opened for writing; -1 when none can be made.
int CreateTemporary(FileSystem& fs, int folder, std::string* name) {
  const auto seed = static_cast<unsigned long>(
      std::chrono::steady_clock::now().time_since_epoch().count() ^ getpid());
  for (unsigned long attempt = 0; attempt < 100; ++attempt) {
    *name = ".quoril-bus-save-" + std::to_string((seed + attempt * 7919) % 1000000007);
    const int fd =
        fs.OpenAt(folder, *name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

WholeFileWriter::WholeFileWriter(const std::string& path, FileSystem& fs) : path_(path), fs_(fs) {
  const size_t slash = path.rfind('/');
  const std::string folder_path = slash == std::string::npos ? "."
                                  : slash == 0               ? "/"
                                                             : path.substr(0, slash);
  name_ = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name_.empty()) {
    Fail(path.empty() ? ENOENT : EISDIR);
    return;
  }
  // Every step names the file relative to one folder, so a folder swapped part of the way
  // cannot redirect the rename or the clean-up.
  folder_ = fs_.OpenFolder(folder_path);
  if (folder_ < 0) {
    Fail(errno);
    return;
  }
  std::string temporary;
  fd_ = CreateTemporary(fs_, folder_, &temporary);
  if (fd_ < 0) {
    Fail(errno);
    return;
  }
  temporary_ = std::move(temporary);
  // A file that is replaced keeps its modes and (where the writer may give it) its owner; a
  // new one gets the modes any new file would.
  struct stat existing {};
  const bool replaces = fs_.StatAt(folder_, name_, &existing) == 0 && S_ISREG(existing.st_mode);
  mode_t mode = 0;
  if (replaces) {
    mode = existing.st_mode & 07777;
    if (existing.st_uid != fs_.User() || existing.st_gid != fs_.Group()) {
      [[maybe_unused]] const int kept = fs_.ChangeOwner(fd_, existing.st_uid, existing.st_gid);
    }
  } else {
    mode = 0666 & ~fs_.CreationMask();
  }
  if (fs_.ChangeMode(fd_, mode) != 0) Fail(errno);
}

WholeFileWriter::~WholeFileWriter() { Discard(); }

bool WholeFileWriter::Append(std::string_view text) {
  if (!refusal_.empty()) return false;
  assert(fd_ >= 0 && "Append after Commit");
  if (WriteAll(fs_, fd_, text)) return true;
  Fail(errno);
  return false;
}

std::string WholeFileWriter::Commit() {
  if (!refusal_.empty()) return refusal_;
  assert(fd_ >= 0 && "a second Commit");
  bool written = fs_.Sync(fd_) == 0;
  int error = errno;
  if (fs_.Close(std::exchange(fd_, -1)) != 0 && written) {
    written = false;
    error = errno;
  }
  if (!written) return Fail(error);
  if (fs_.RenameAt(folder_, temporary_, name_) != 0) return Fail(errno);
  temporary_.clear();
  fs_.Sync(folder_);  // the rename itself reaches the disk
  fs_.Close(std::exchange(folder_, -1));
  return {};
}

std::string WholeFileWriter::Fail(int error) {
  refusal_ = Refusal(path_, error);
  Discard();
  return refusal_;
}

void WholeFileWriter::Discard() {
  if (fd_ >= 0) fs_.Close(std::exchange(fd_, -1));
  if (!temporary_.empty()) fs_.UnlinkAt(folder_, std::exchange(temporary_, {}));
  if (folder_ >= 0) fs_.Close(std::exchange(folder_, -1));
}

std::string WriteFileWhole(const std::string& path, const std::string& text, FileSystem& fs) {
  WholeFileWriter file(path, fs);
  file.Append(text);
  return file.Commit();
}

}  // namespace qbus::app
