// SPDX-License-Identifier: GPL-3.0-or-later
#include "access/common/frame_io.h"

#include <cerrno>
#include <chrono>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qbus::access {

namespace {

void SpinUntilReadable(int fd, int spin_microseconds) {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::microseconds(spin_microseconds);
  pollfd wanted{fd, POLLIN, 0};
  while (poll(&wanted, 1, 0) == 0 && std::chrono::steady_clock::now() < deadline) {
  }
}

}  // namespace

FrameRead ReadFrame(int fd, void* frame, size_t size, int spin_microseconds) {
  if (spin_microseconds > 0) SpinUntilReadable(fd, spin_microseconds);
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
