// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <type_traits>

#include "access/common/config_access.h"

// The frames between the elevated access library (the user's side) and the root helper that
// does its configuration accesses, over the helper's standard input and output. Every frame has
// a fixed size and is sent in the machine's own byte order: both ends run on the same machine.
//
//   helper -> library, once at start:  Announcement, then `count` FunctionEntry frames
//   library -> helper, per access:     Request
//   helper -> library, per request:    Reply
//
// The helper trusts nothing in a request: RequestValid decides, against the functions it found
// itself, whether a request may reach the hardware at all.
namespace qbus::access::helper {

constexpr uint32_t kMagic = 0x73754251;  // "QBus" in memory on a little-endian machine

// How long each end polls for the other's next frame before it sleeps: a scan or a read-back
// sends its requests back to back, and a sleeping end takes tens of microseconds to wake.
constexpr int kSpinMicroseconds = 200;

enum class Op : uint32_t { kRead = 1, kWrite = 2 };

struct Announcement {
  uint32_t magic;
  uint32_t ready;  // 1: the helper's PCI access works; 0: it does not, and it ends
  uint32_t count;  // FunctionEntry frames that follow (at most kLocationCount)
};

struct FunctionEntry {
  uint32_t location;    // bus << 8 | device << 3 | function of domain 0
  uint32_t space_size;  // 256 or 4096 bytes
};

struct Request {
  uint32_t magic;
  uint32_t op;  // an Op
  uint32_t location;
  uint32_t offset;  // byte offset, aligned to `width`
  uint32_t width;   // 1, 2 or 4 bytes
  uint32_t value;   // the value to write (only the low `width` bytes may be set); 0 for a read
};

struct Reply {
  uint32_t magic;
  uint32_t ok;     // 1 done, 0 refused or failed
  uint32_t value;  // the value read; all-ones when a read failed; 0 for a write
};

static_assert(std::is_trivially_copyable_v<Request> && sizeof(Request) == 24);
static_assert(std::is_trivially_copyable_v<Reply> && sizeof(Reply) == 12);
static_assert(sizeof(Announcement) == 12 && sizeof(FunctionEntry) == 8);

// True when `request` is well formed and names an access inside a function that `functions`
// lists: `functions.SpaceSize(location)` gives the function's configuration space size in bytes,
// 0 for a location it does not list (any uint32_t, checked here before it is asked).
template <typename Functions>
bool RequestValid(const Request& request, const Functions& functions) {
  if (request.magic != kMagic) return false;
  const bool read = request.op == static_cast<uint32_t>(Op::kRead);
  const bool write = request.op == static_cast<uint32_t>(Op::kWrite);
  if (!read && !write) return false;
  if (request.location >= kLocationCount) return false;
  if (!ConfigAccessValid(request.offset, request.width, functions.SpaceSize(request.location))) {
    return false;
  }
  const uint32_t unused_bits = request.width == 4 ? 0 : ~0u << (8 * request.width);
  return read ? request.value == 0 : (request.value & unused_bits) == 0;
}

// Carries out one request through `backend` (ReadConfig(location, offset, width) ->
// std::optional<uint32_t>, WriteConfig(location, offset, width, value) -> bool, and SpaceSize as
// above), touching it only when the request is valid.
template <typename Backend>
Reply HandleRequest(const Request& request, Backend& backend) {
  Reply reply{kMagic, 0, 0xFFFFFFFFu};
  if (!RequestValid(request, backend)) return reply;
  if (request.op == static_cast<uint32_t>(Op::kRead)) {
    if (const auto value = backend.ReadConfig(request.location, request.offset, request.width)) {
      reply.ok = 1;
      reply.value = *value;
    }
    return reply;
  }
  reply.value = 0;
  reply.ok = backend.WriteConfig(request.location, request.offset, request.width, request.value);
  return reply;
}

}  // namespace qbus::access::helper
