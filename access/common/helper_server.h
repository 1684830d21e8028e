// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "access/common/frame_io.h"
#include "access/common/helper_protocol.h"

// The root helper's side of the frames (see helper_protocol.h).
namespace qbus::access::helper {

// Announces the functions `backend` lists (or that it is not ready), then answers one Reply per
// Request read from `in` until `in` ends. A frame cut short, or one whose magic is wrong (the
// stream can no longer be followed), ends the session after its error reply; any other invalid
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
  std::array<uint8_t, kMaxSpaceSize> space;
  for (;;) {
    Request request{};
    const FrameRead got = ReadFrame(in, &request, sizeof request);
    if (got == FrameRead::kEnd) return;
    if (got != FrameRead::kComplete) request = Request{};  // nothing of a cut frame is used
    const Reply reply = HandleRequest(request, backend, space.data(), record);
    const bool space_follows = request.op == static_cast<uint32_t>(Op::kReadSpace) && reply.ok;
    if (!WriteFrame(out, &reply, sizeof reply) ||
        (space_follows && !WriteFrame(out, space.data(), reply.value)) || request.magic != kMagic) {
      return;
    }
  }
}

}  // namespace qbus::access::helper
