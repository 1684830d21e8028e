// SPDX-License-Identifier: GPL-3.0-or-later
#include "config_space/dump_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace qbus::config_space {
namespace {

constexpr size_t kBlockBytes = size_t{1} << 20;

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

ParsedDump Failure(const std::string& what) { return {{}, what}; }

}  // namespace

ParsedDump LoadDumpFile(const std::string& path, uint32_t domain) {
  const FileDescriptor fd(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (fd.get() < 0) return Failure("cannot open " + path + ": " + std::strerror(errno));
  struct stat info;
  if (fstat(fd.get(), &info) != 0) {
    return Failure("cannot read " + path + ": " + std::strerror(errno));
  }
  if (!S_ISREG(info.st_mode)) return Failure(path + ": not a regular file");
  if (static_cast<uint64_t>(info.st_size) > kMaxDumpBytes) {
    return Failure(path + ": larger than the 1 GiB a dump may have");
  }

  // A block holds the unfinished line of the block before it, then what read() brings.
  DumpParser parser(path, domain, kMaxDumpLineBytes);
  std::vector<char> block(kBlockBytes);
  size_t kept = 0;
  for (;;) {
    const ssize_t got = read(fd.get(), block.data() + kept, block.size() - kept);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return Failure("cannot read " + path + ": " + std::strerror(errno));
    if (got == 0) break;
    std::string_view text(block.data(), kept + static_cast<size_t>(got));
    for (size_t end; (end = text.find('\n')) != std::string_view::npos;) {
      if (!parser.TakeLine(text.substr(0, end))) return parser.Finish();
      text.remove_prefix(end + 1);
    }
    // An unfinished line already too long is refused now, so `kept` stays below a block.
    if (text.size() > kMaxDumpLineBytes) {
      parser.TakeLine(text);
      return parser.Finish();
    }
    kept = text.size();
    std::memmove(block.data(), text.data(), kept);
  }
  if (kept > 0) parser.TakeLine(std::string_view(block.data(), kept));
  return parser.Finish();
}

}  // namespace qbus::config_space
