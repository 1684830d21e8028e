// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/saved_copy.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "config_space/dump_parser.h"

namespace qbus::app {
namespace {

constexpr off_t kMaxCopyBytes = off_t{64} << 20;

SavedFunction Failure(const std::string& path, const std::string& why) {
  SavedFunction failed;
  failed.error = "Cannot compare with " + path + ": " + why + ".";
  return failed;
}

}  // namespace

SavedFunction ReadSavedFunction(const std::string& path, uint32_t location, uint32_t domain) {
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return Failure(path, std::strerror(errno));
  struct stat info {};
  std::string text;
  int error = 0;
  const bool regular = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  if (regular && info.st_size <= kMaxCopyBytes) {
    text.resize(static_cast<size_t>(info.st_size));
    size_t done = 0;
    while (done < text.size()) {
      const ssize_t got = read(fd, text.data() + done, text.size() - done);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) error = errno;
      if (got <= 0) break;
      done += static_cast<size_t>(got);
    }
    text.resize(done);  // a file that shrank meanwhile is read as it now ends
  }
  close(fd);
  if (!regular) return Failure(path, "not a regular file");
  if (info.st_size > kMaxCopyBytes) return Failure(path, "larger than 64 MiB");
  if (error != 0) return Failure(path, std::strerror(error));

  config_space::ParsedDump dump = config_space::ParseDump(text, path, domain);
  if (!dump.error.empty()) {
    SavedFunction refused;
    refused.error = dump.error;
    return refused;
  }
  auto found = dump.functions.find(location);
  if (found == dump.functions.end()) found = dump.functions.begin();
  SavedFunction copy;
  copy.location = found->first;
  const config_space::FunctionImage& image = found->second;
  size_t end = image.held.size();
  while (end > 0 && !image.held[end - 1]) --end;
  copy.bytes.assign(image.bytes.begin(), image.bytes.begin() + static_cast<std::ptrdiff_t>(end));
  return copy;
}

}  // namespace qbus::app
