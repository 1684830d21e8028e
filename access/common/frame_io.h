// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>

// Whole fixed-size frames over a pipe or a stream socket, across short reads, short writes and
// interrupted calls.
namespace qbus::access {

enum class FrameRead {
  kComplete,   // all `size` bytes arrived
  kEnd,        // the stream ended before the first byte
  kTruncated,  // the stream ended, or broke, part of the way through
};

// Reads exactly `size` bytes into `frame`. With `spin_microseconds`, it first polls without
// sleeping for up to that long: a reply that comes within it is taken without the cost of
// waking a sleeping thread, which dominates a round trip between two processes.
FrameRead ReadFrame(int fd, void* frame, size_t size, int spin_microseconds = 0);

// Writes all `size` bytes of `frame`; false when the stream broke. Never raises SIGPIPE on a
// socket whose reader is gone.
bool WriteFrame(int fd, const void* frame, size_t size);

}  // namespace qbus::access
