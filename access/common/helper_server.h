// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "access/common/frame_io.h"
#include "access/common/helper_protocol.h"

// The root helper's side of the frames (see helper_protocol.h).
namespace qbus::access::helper {

// How many requests one read takes at most, and how many bytes of replies, and for how long, wait
// at most before they are sent: on slow hardware a run of reads takes seconds, and the window
// waits for each reply in turn.
constexpr size_t kRequestsTakenAtOnce = 256;
constexpr size_t kRepliesSentAtMost = 128 * 1024;
constexpr uint64_t kRepliesHeldAtMostNs = 20'000'000;

// Announces the functions `backend` lists (or that it is not ready), then answers one Reply per
// Request read from `in`, in order, until `in` ends. A frame cut short, or one whose magic is wrong
// (the stream can no longer be followed), ends the session after its error reply; any other invalid
// request gets an error reply and the session goes on. `backend` and `record` are as for
// HandleRequest. Waits for each request without a deadline: the window may rest for hours.
template <typename Backend, WriteRecorder Record>
void Serve(int in, int out, bool ready, Backend& backend, Record&& record) {
  std::vector<FunctionEntry> functions;
  for (uint32_t location = 0; ready && location < kLocationCount; ++location) {
    if (const uint32_t size = backend.SpaceSize(location)) functions.push_back({location, size});
  }
  const Announcement announcement{kMagic, ready ? 1u : 0u, static_cast<uint32_t>(functions.size())};
  if (!WriteFrame(out, &announcement, sizeof announcement) ||
      !WriteFrame(out, functions.data(), functions.size() * sizeof(FunctionEntry)) || !ready) {
    return;
  }
  // Requests are taken as many at a time as have arrived and their replies sent together, the
  // last of them before the helper waits again: a window that sends a run of reads at once wakes
  // the helper once and is woken once.
  FrameReader requests(in, kRequestsTakenAtOnce * sizeof(Request));
  // Each reply is put after those waiting, and a space read lands right after it.
  std::vector<uint8_t> replies(kRepliesSentAtMost + sizeof(Reply) + kMaxSpaceSize);
  size_t waiting = 0;          // bytes of replies not yet sent
  uint64_t first_waiting = 0;  // when the first of them was put there
  const auto send = [&] {
    const bool sent = WriteFrame(out, replies.data(), waiting);
    waiting = 0;
    return sent;
  };
  for (;;) {
    if (!requests.Holds(sizeof(Request)) && waiting != 0 && !send()) return;
    Request request{};
    const FrameRead got = requests.Read(&request, sizeof request);
    if (got == FrameRead::kEnd) return;
    if (got != FrameRead::kComplete) request = Request{};  // nothing of a cut frame is used
    if (waiting == 0) first_waiting = MonotonicNs();
    const Reply reply = HandleRequest(request, backend, &replies[waiting + sizeof(Reply)], record);
    std::memcpy(&replies[waiting], &reply, sizeof reply);
    const bool space_follows = request.op == static_cast<uint32_t>(Op::kReadSpace) && reply.ok;
    waiting += sizeof(Reply) + (space_follows ? reply.value : 0);
    if (request.magic != kMagic) {
      send();
      return;
    }
    const bool held_long = MonotonicNs() - first_waiting >= kRepliesHeldAtMostNs;
    if ((waiting >= kRepliesSentAtMost || held_long) && !send()) return;
  }
}

}  // namespace qbus::access::helper
