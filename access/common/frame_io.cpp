// SPDX-License-Identifier: GPL-3.0-or-later
#include "access/common/frame_io.h"

#include <cerrno>
#include <sys/socket.h>
#include <unistd.h>

namespace qbus::access {

FrameRead ReadFrame(int fd, void* frame, size_t size) {
  auto* bytes = static_cast<char*>(frame);
  size_t done = 0;
  while (done < size) {
    const ssize_t got = read(fd, bytes + done, size - done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return done == 0 && got == 0 ? FrameRead::kEnd : FrameRead::kTruncated;
    done += static_cast<size_t>(got);
  }
  return FrameRead::kComplete;
}

bool WriteFrame(int fd, const void* frame, size_t size) {
  const auto* bytes = static_cast<const char*>(frame);
  size_t done = 0;
  bool socket = true;
  while (done < size) {
    ssize_t put = socket ? send(fd, bytes + done, size - done, MSG_NOSIGNAL) : -1;
    if (put < 0 && errno == ENOTSOCK) {
      socket = false;
      put = write(fd, bytes + done, size - done);
    }
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    done += static_cast<size_t>(put);
  }
  return true;
}

}  // namespace qbus::access
