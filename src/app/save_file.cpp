// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/save_file.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace qbus::app {
namespace {

std::string Refusal(const std::string& path, int error) {
  return "Cannot write " + path + ": " + std::strerror(error);
}

bool WriteAll(FileSystem& fs, int fd, const std::string& text) {
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

std::string WriteFileWhole(const std::string& path, const std::string& text, FileSystem& fs) {
  const size_t slash = path.rfind('/');
  const std::string folder_path = slash == std::string::npos ? "."
                                  : slash == 0               ? "/"
                                                             : path.substr(0, slash);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.empty()) return Refusal(path, path.empty() ? ENOENT : EISDIR);
  // Every step names the file relative to one folder, so a folder swapped part of the way
  // cannot redirect the rename or the clean-up.
  const int folder = fs.OpenFolder(folder_path);
  if (folder < 0) return Refusal(path, errno);
  std::string temporary;
  const int fd = CreateTemporary(fs, folder, &temporary);
  if (fd < 0) {
    const int error = errno;
    fs.Close(folder);
    return Refusal(path, error);
  }
  // A file that is replaced keeps its modes and (where the writer may give it) its owner; a
  // new one gets the modes any new file would.
  struct stat existing {};
  const bool replaces = fs.StatAt(folder, name, &existing) == 0 && S_ISREG(existing.st_mode);
  mode_t mode = 0;
  if (replaces) {
    mode = existing.st_mode & 07777;
    if (existing.st_uid != fs.User() || existing.st_gid != fs.Group()) {
      [[maybe_unused]] const int kept = fs.ChangeOwner(fd, existing.st_uid, existing.st_gid);
    }
  } else {
    mode = 0666 & ~fs.CreationMask();
  }
  bool written = fs.ChangeMode(fd, mode) == 0 && WriteAll(fs, fd, text) && fs.Sync(fd) == 0;
  int error = errno;
  if (fs.Close(fd) != 0 && written) {
    written = false;
    error = errno;
  }
  if (written && fs.RenameAt(folder, temporary, name) == 0) {
    fs.Sync(folder);  // the rename itself reaches the disk
    fs.Close(folder);
    return {};
  }
  if (written) error = errno;
  fs.UnlinkAt(folder, temporary);
  fs.Close(folder);
  return Refusal(path, error);
}

}  // namespace qbus::app
