// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Whole fixed-size frames over a pipe or a stream socket, across short reads, short writes and
// interrupted calls. Both calls block (no spinning): a waiting end sleeps in the kernel and
// leaves the processor to the end it waits for.
namespace qbus::access {

enum class FrameRead {
  kComplete,   // all `size` bytes arrived
  kEnd,        // the stream ended before the first byte
  kTruncated,  // the stream ended, or broke, part of the way through
  kTimedOut,   // the deadline passed first (the other end is stopped or stuck)
};

// A wait without a deadline.
constexpr int kNoDeadline = -1;

// Reads exactly `size` bytes into `frame`, waiting at most `timeout_ms` milliseconds for the
// whole frame (kNoDeadline: as long as it takes).
FrameRead ReadFrame(int fd, void* frame, size_t size, int timeout_ms = kNoDeadline);

// Frames read from one stream through a buffer: a read() takes as many of the bytes waiting as
// fit, so a peer that sends a run of frames at once wakes this end once, not once per frame.
// Read is as ReadFrame, its deadline again for each frame.
class FrameReader {
 public:
  FrameReader(int fd, size_t capacity) : fd_(fd), buffer_(capacity) {}

  FrameRead Read(void* frame, size_t size, int timeout_ms = kNoDeadline);

  // True when `size` bytes have arrived and not been read: a Read of them does not wait.
  bool Holds(size_t size) const { return end_ - start_ >= size; }

 private:
  int fd_;
  std::vector<uint8_t> buffer_;
  size_t start_ = 0;  // the bytes arrived and not yet read are [start_, end_)
  size_t end_ = 0;
};

// Writes all `size` bytes of `frame`; false when the stream broke. Never raises SIGPIPE on a
// socket whose reader is gone.
bool WriteFrame(int fd, const void* frame, size_t size);

}  // namespace qbus::access
