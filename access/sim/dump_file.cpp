#include "access/sim/dump_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qbus::access::sim {
namespace {

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

DumpFile Failure(const std::string& what) { return {{}, what}; }

}  // namespace

DumpFile ReadDumpFile(const std::string& path) {
  const FileDescriptor fd(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (fd.get() < 0) return Failure("cannot open " + path + ": " + std::strerror(errno));
  struct stat info;
  if (fstat(fd.get(), &info) != 0)
    return Failure("cannot read " + path + ": " + std::strerror(errno));
  if (!S_ISREG(info.st_mode)) return Failure(path + ": not a regular file");
  if (static_cast<uint64_t>(info.st_size) > kMaxDumpBytes) {
    return Failure(path + ": larger than the 1 GiB a dump may have");
  }
  DumpFile result;
  result.text.resize(static_cast<size_t>(info.st_size));
  size_t done = 0;
  while (done < result.text.size()) {
    const ssize_t got = read(fd.get(), result.text.data() + done, result.text.size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return Failure("cannot read " + path + ": " + std::strerror(errno));
    if (got == 0) break;  // the file shrank while it was read
    done += static_cast<size_t>(got);
  }
  result.text.resize(done);
  return result;
}

}  // namespace qbus::access::sim
