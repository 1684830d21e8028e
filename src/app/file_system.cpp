// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/file_system.h"

#include <fcntl.h>
#include <unistd.h>

namespace qbus::app {

int FileSystem::OpenFolder(const std::string& path) {
  return open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

int FileSystem::OpenAt(int folder, const std::string& name, int flags, mode_t mode) {
  return openat(folder, name.c_str(), flags, mode);
}

int FileSystem::StatAt(int folder, const std::string& name, struct stat* status) {
  return fstatat(folder, name.c_str(), status, AT_SYMLINK_NOFOLLOW);
}

int FileSystem::ChangeOwner(int fd, uid_t owner, gid_t group) { return fchown(fd, owner, group); }

int FileSystem::ChangeMode(int fd, mode_t mode) { return fchmod(fd, mode); }

ssize_t FileSystem::Write(int fd, const char* data, size_t size) { return write(fd, data, size); }

int FileSystem::Sync(int fd) { return fsync(fd); }

int FileSystem::Close(int fd) { return close(fd); }

int FileSystem::RenameAt(int folder, const std::string& from, const std::string& to) {
  return renameat(folder, from.c_str(), folder, to.c_str());
}

int FileSystem::UnlinkAt(int folder, const std::string& name) {
  return unlinkat(folder, name.c_str(), 0);
}

mode_t FileSystem::CreationMask() {
  const mode_t mask = umask(0);
  umask(mask);
  return mask;
}

uid_t FileSystem::User() { return geteuid(); }

gid_t FileSystem::Group() { return getegid(); }

FileSystem& RealFileSystem() {
  static FileSystem real;
  return real;
}

}  // namespace qbus::app
