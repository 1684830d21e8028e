// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/save_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace qbus::app {
namespace {

std::string Refusal(const std::string& path, int error) {
  return "Cannot write " + path + ": " + std::strerror(error);
}

bool WriteAll(int fd, const std::string& text) {
  for (size_t done = 0; done < text.size();) {
    const ssize_t written = write(fd, text.data() + done, text.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    done += static_cast<size_t>(written);
  }
  return true;
}

}  // namespace

std::string WriteFileWhole(const std::string& path, const std::string& text) {
  if (path.empty()) return Refusal(path, ENOENT);
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
  std::string temporary = folder + "/.quoril-bus-save-XXXXXX";
  std::vector<char> name(temporary.begin(), temporary.end());
  name.push_back('\0');
  const int fd = mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) return Refusal(path, errno);
  temporary = name.data();
  // mkostemp makes the file private; a saved dump gets the modes any new file would.
  const mode_t mask = umask(0);
  umask(mask);
  bool written = fchmod(fd, 0666 & ~mask) == 0 && WriteAll(fd, text) && fsync(fd) == 0;
  int error = errno;
  if (close(fd) != 0 && written) {
    written = false;
    error = errno;
  }
  if (written && rename(temporary.c_str(), path.c_str()) == 0) return {};
  if (written) error = errno;
  unlink(temporary.c_str());
  return Refusal(path, error);
}

}  // namespace qbus::app
