// SPDX-License-Identifier: GPL-3.0-or-later
// A frame read that a signal interrupts goes on where it was: the window's timer and the
// toolkit's signals must not turn a helper's reply into a broken stream.
#include <csignal>
#include <gtest/gtest.h>
#include <pthread.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#include "access/common/frame_io.h"

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

}  // namespace
}  // namespace qbus::access
