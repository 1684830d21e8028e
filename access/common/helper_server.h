// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <vector>

#include "access/common/frame_io.h"
#include "access/common/helper_protocol.h"

// The root helper's side of the frames (see helper_protocol.h).
namespace qbus::access::helper {

// Announces the functions `backend` lists (or that it is not ready), then answers one Reply per
// Request read from `in` until `in` ends. A frame cut short, or one whose magic is wrong (the
// stream can no longer be followed), ends the session after its error reply; any other invalid
// request gets an error reply and the session goes on. `backend` is as for HandleRequest.
template <typename Backend>
void Serve(int in, int out, bool ready, Backend& backend) {
  std::vector<FunctionEntry> functions;
  for (uint32_t location = 0; ready && location < kLocationCount; ++location) {
    if (const uint32_t size = backend.SpaceSize(location)) functions.push_back({location, size});
  }
  const Announcement announcement{kMagic, ready ? 1u : 0u, static_cast<uint32_t>(functions.size())};
  if (!WriteFrame(out, &announcement, sizeof announcement) ||
      !WriteFrame(out, functions.data(), functions.size() * sizeof(FunctionEntry)) || !ready) {
    return;
  }
  for (;;) {
    Request request;
    const FrameRead got = ReadFrame(in, &request, sizeof request, kSpinMicroseconds);
    if (got == FrameRead::kEnd) return;
    if (got == FrameRead::kTruncated) request.magic = 0;
    const Reply reply = HandleRequest(request, backend);
    if (!WriteFrame(out, &reply, sizeof reply) || request.magic != kMagic) return;
  }
}

}  // namespace qbus::access::helper
