// SPDX-License-Identifier: GPL-3.0-or-later
#include "access/sim/trace.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qbus::access::sim {
namespace {

// Opens `path` for appending without following a symbolic link, without blocking on a FIFO,
// and only when it is (or becomes) a regular file; -1 with `*error` set otherwise.
int OpenTraceFile(const std::string& path, std::string* error) {
  const int fd =
      open(path.c_str(),
           O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0644);
  if (fd < 0) {
    *error = std::strerror(errno);
    return -1;
  }
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    *error = "not a regular file";
    close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

Trace::Trace(const std::string& path) {
  if (path.empty()) return;
  std::string error;
  const int fd = OpenTraceFile(path, &error);
  if (fd >= 0) file_ = fdopen(fd, "a");
  if (file_ == nullptr) {
    if (fd >= 0) close(fd);
    std::fprintf(stderr, "quoril-bus simulator: cannot trace to %s: %s\n", path.c_str(),
                 error.empty() ? std::strerror(errno) : error.c_str());
    return;
  }
  // Line by line, so that a reader sees every call as soon as it returns.
  std::setvbuf(file_, nullptr, _IOLBF, 0);
}

Trace::~Trace() {
  if (file_ != nullptr) std::fclose(file_);
}

void Trace::Call(const char* name, std::initializer_list<uint32_t> arguments,
                 std::optional<uint32_t> result, std::optional<uint32_t> value) {
  if (file_ == nullptr) return;
  std::fputs(name, file_);
  for (uint32_t argument : arguments) std::fprintf(file_, " 0x%X", argument);
  if (result) std::fprintf(file_, " -> 0x%X", *result);
  if (value) std::fprintf(file_, " 0x%X", *value);
  std::fputc('\n', file_);
}

}  // namespace qbus::access::sim
