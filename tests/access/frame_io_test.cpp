// SPDX-License-Identifier: GPL-3.0-or-later
// A frame read that a signal interrupts goes on where it was: the window's timer and the
// toolkit's signals must not turn a helper's reply into a broken stream.
#include "access/common/frame_io.h"

#include <csignal>
#include <gtest/gtest.h>
#include <pthread.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace qbus::access {
namespace {

void Ignore(int) {}

TEST(FrameIo, AnInterruptedReadGoesOnToTheWholeFrame) {
  // No SA_RESTART: the signal makes the blocked call return EINTR, as the toolkit's do.
  struct sigaction interrupt {};
  interrupt.sa_handler = Ignore;
  struct sigaction before {};
  ASSERT_EQ(sigaction(SIGUSR1, &interrupt, &before), 0);
  for (const int timeout_ms : {kNoDeadline, 2000}) {
    SCOPED_TRACE(timeout_ms == kNoDeadline ? "no deadline" : "with a deadline");
    int ends[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
    const pthread_t reader = pthread_self();
    std::thread writer([&] {
      const char first[] = {'Q', 'B'};
      ASSERT_EQ(write(ends[1], first, 2), 2);
      // The reader is blocked for the rest; interrupt it twice, then send the rest.
      for (int i = 0; i < 2; ++i) {
        usleep(20000);
        pthread_kill(reader, SIGUSR1);
      }
      usleep(20000);
      ASSERT_EQ(write(ends[1], "us", 2), 2);
    });
    char frame[4] = {};
    EXPECT_EQ(ReadFrame(ends[0], frame, sizeof frame, timeout_ms), FrameRead::kComplete);
    EXPECT_EQ(std::string(frame, 4), "QBus");
    writer.join();
    close(ends[0]);
    close(ends[1]);
  }
  sigaction(SIGUSR1, &before, nullptr);
}

// Frames taken through a buffer smaller than the bytes waiting, and than one frame: each comes out
// whole and in order, and the end of the stream is told from a frame cut short.
TEST(FrameIo, ABufferedReaderTakesEachFrameWholeAcrossItsBuffer) {
  const struct {
    const char* name;
    std::string sent;
    std::vector<size_t> sizes;  // the frames asked for, in order
    std::vector<FrameRead> got;
    std::string frames;  // what they held, one after the other
  } kRows[] = {
      {"three frames in one write, a buffer of 5",
       "QBus0QBus1QBus2",
       {5, 5, 5, 5},
       {FrameRead::kComplete, FrameRead::kComplete, FrameRead::kComplete, FrameRead::kEnd},
       "QBus0QBus1QBus2"},
      {"frames across the buffer's edge",
       "abcdefghijk",
       {3, 4, 4},
       {FrameRead::kComplete, FrameRead::kComplete, FrameRead::kComplete},
       "abcdefghijk"},
      {"a frame longer than the buffer",
       "0123456789AB",
       {12},
       {FrameRead::kComplete},
       "0123456789AB"},
      {"the stream ends inside a frame",
       "QBus0QB",
       {5, 5},
       {FrameRead::kComplete, FrameRead::kTruncated},
       "QBus0QB"},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.name);
    int ends[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
    ASSERT_TRUE(WriteFrame(ends[1], row.sent.data(), row.sent.size()));
    shutdown(ends[1], SHUT_WR);
    FrameReader reader(ends[0], 5);
    std::vector<FrameRead> got;
    std::string frames;
    for (const size_t size : row.sizes) {
      std::string frame(size, '\0');
      got.push_back(reader.Read(frame.data(), size, 1000));
      frames += got.back() == FrameRead::kEnd ? "" : frame.substr(0, frame.find('\0'));
    }
    EXPECT_EQ(got, row.got);
    EXPECT_EQ(frames, row.frames);
    close(ends[0]);
    close(ends[1]);
  }
}

}  // namespace
}  // namespace qbus::access
