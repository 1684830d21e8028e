// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <sys/stat.h>
#include <sys/types.h>

// The file-system calls a save makes, one virtual per step, so that a test can fail or cut any
// one of them and look at what is left on the disk. Each answers as the system call it stands
// for: -1 (or a negative count) with errno set on failure. The base class makes the real calls;
// a test overrides only the steps it breaks.
namespace qbus::app {

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC).
  virtual int OpenFolder(const std::string& path);
  // openat(folder, name, flags, mode).
  virtual int OpenAt(int folder, const std::string& name, int flags, mode_t mode);
  // fstatat(folder, name, status, AT_SYMLINK_NOFOLLOW).
  virtual int StatAt(int folder, const std::string& name, struct stat* status);
  virtual int ChangeOwner(int fd, uid_t owner, gid_t group);  // fchown
  virtual int ChangeMode(int fd, mode_t mode);                // fchmod
  virtual ssize_t Write(int fd, const char* data, size_t size);
  virtual int Sync(int fd);  // fsync
  virtual int Close(int fd);
  virtual int RenameAt(int folder, const std::string& from, const std::string& to);
  virtual int UnlinkAt(int folder, const std::string& name);
  // The process's file-creation mask, left as it was.
  virtual mode_t CreationMask();
  virtual uid_t User();   // geteuid
  virtual gid_t Group();  // getegid
};

// The real file system.
FileSystem& RealFileSystem();

}  // namespace qbus::app
