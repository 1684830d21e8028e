// SPDX-License-Identifier: GPL-3.0-or-later
#include "access/common/frame_io.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qbus::access {

namespace {

using Clock = std::chrono::steady_clock;

// True when `fd` has something to read (or has ended) before `deadline`.
bool WaitReadable(int fd, Clock::time_point deadline) {
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    pollfd wanted{fd, POLLIN, 0};
    const int ready = poll(&wanted, 1, left > 0 ? static_cast<int>(left) + 1 : 0);
    if (ready > 0) return true;
    if (ready == 0 && Clock::now() >= deadline) return false;
    if (ready < 0 && errno != EINTR) return true;  // let read() report the broken descriptor
  }
}

}  // namespace

FrameRead ReadFrame(int fd, void* frame, size_t size, int timeout_ms) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  auto* bytes = static_cast<char*>(frame);
  size_t done = 0;
  while (done < size) {
    if (timeout_ms != kNoDeadline && !WaitReadable(fd, deadline)) return FrameRead::kTimedOut;
    const ssize_t got = read(fd, bytes + done, size - done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return done == 0 && got == 0 ? FrameRead::kEnd : FrameRead::kTruncated;
    done += static_cast<size_t>(got);
  }
  return FrameRead::kComplete;
}

FrameRead FrameReader::Read(void* frame, size_t size, int timeout_ms) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  auto* bytes = static_cast<uint8_t*>(frame);
  size_t done = 0;
  for (;;) {
    const size_t taken = std::min(size - done, end_ - start_);
    if (taken > 0) std::memcpy(bytes + done, buffer_.data() + start_, taken);
    start_ += taken;
    done += taken;
    if (done == size) return FrameRead::kComplete;
    start_ = end_ = 0;
    if (timeout_ms != kNoDeadline && !WaitReadable(fd_, deadline)) return FrameRead::kTimedOut;
    const ssize_t got = read(fd_, buffer_.data(), buffer_.size());
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return done == 0 && got == 0 ? FrameRead::kEnd : FrameRead::kTruncated;
    end_ = static_cast<size_t>(got);
  }
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
