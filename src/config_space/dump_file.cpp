// SPDX-License-Identifier: GPL-3.0-or-later
#include "config_space/dump_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <future>
#include <string_view>
#include <sys/stat.h>
#include <system_error>
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

// Parses the lines of bytes [begin, end) of the file, a block at a time: a block holds
// the unfinished line of the block before it, then what pread() brings. Gives the parser's
// result, or a read failure.
ParsedDump ParseRange(int fd, const std::string& path, uint32_t domain, off_t begin, off_t end) {
  DumpParser parser(path, domain, kMaxDumpLineBytes);
  std::vector<char> block(kBlockBytes);
  size_t kept = 0;
  for (off_t at = begin; at < end;) {
    const size_t wanted = std::min(block.size() - kept, static_cast<size_t>(end - at));
    const ssize_t got = pread(fd, block.data() + kept, wanted, at);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return Failure("cannot read " + path + ": " + std::strerror(errno));
    if (got == 0) break;  // the file shrank
    at += got;
    std::string_view text(block.data(), kept + static_cast<size_t>(got));
    for (size_t line_end; (line_end = text.find('\n')) != std::string_view::npos;) {
      if (!parser.TakeLine(text.substr(0, line_end))) return parser.Finish();
      text.remove_prefix(line_end + 1);
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

// Where a large file may be parsed in two halves: just after an empty line near its middle,
// where a function has ended and a parser starting afresh is in the state the whole parse
// would be in. 0 when the file is small or no empty line is near.
off_t SplitPoint(int fd, off_t size) {
  constexpr off_t kSmallest = off_t{4} << 20;
  if (size < kSmallest) return 0;
  std::vector<char> window(64 * 1024);
  const ssize_t got = pread(fd, window.data(), window.size(), size / 2);
  if (got <= 0) return 0;
  const std::string_view text(window.data(), static_cast<size_t>(got));
  const size_t empty_line = text.find("\n\n");
  return empty_line == std::string_view::npos ? 0 : size / 2 + static_cast<off_t>(empty_line) + 2;
}

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
  const off_t everything = static_cast<off_t>(kMaxDumpBytes) + 1;  // reads to the end, as it is

  // A large dump is parsed in two halves at once. Only a clean result of both is taken as it
  // is: anything else (a refusal, a half of another domain, a function in both) is parsed again
  // whole, so every message names the line the whole parse would name.
  const off_t split = SplitPoint(fd.get(), info.st_size);
  if (split > 0) {
    try {
      std::future<ParsedDump> second =
          std::async(std::launch::async, ParseRange, fd.get(), path, domain, split, everything);
      ParsedDump first = ParseRange(fd.get(), path, domain, 0, split);
      ParsedDump rest = second.get();
      if (first.error.empty() && rest.error.empty()) {
        first.functions.merge(rest.functions);
        if (rest.functions.empty()) return first;
      }
    } catch (const std::system_error&) {
      // No second thread to be had: the whole parse below does it alone.
    }
  }
  return ParseRange(fd.get(), path, domain, 0, everything);
}

}  // namespace qbus::config_space
