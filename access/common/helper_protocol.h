// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <concepts>
#include <csignal>
#include <cstdint>
#include <ctime>
#include <optional>
#include <pthread.h>
#include <type_traits>

#include "access/common/config_access.h"

// The frames between the elevated access library (the user's side) and the root helper that
// does its configuration accesses, over the helper's standard input and output. Every frame has
// a fixed size and is sent in the machine's own byte order: both ends run on the same machine.
//
//   helper -> library, once at start:  Announcement, then `count` FunctionEntry frames
//   library -> helper, per access:     Request
//   helper -> library, per request:    Reply; after the Reply of a read of a function's space
//                                      that succeeded, `value` bytes of it from offset 0
//
// The helper trusts nothing in a request: RequestValid decides, against the functions it found
// itself, whether a request may reach the hardware at all.
namespace qbus::access::helper {

constexpr uint32_t kMagic = 0x73754251;  // "QBus" in memory on a little-endian machine

// How long the library waits for a reply before it takes the helper as stopped or stuck. The
// slowest honest reply, 4 KiB through libpci on a loaded machine, takes milliseconds.
constexpr int kReplyDeadlineMs = 3000;

// The largest configuration space; a read of a function's space sends at most this many bytes.
constexpr uint32_t kMaxSpaceSize = 4096;

// kReadSpace reads a function's space from offset 0 in one round trip: the first `value` bytes
// of it (a multiple of 4, at most its space), or all of it for `value` 0; in either case only
// as far as the kernel lets the helper read (the first 64 bytes without root). Its Request
// carries no offset or width. A caller that needs only the header and the standard list asks
// for 256 bytes and spares the pipe the rest of a 4 KiB space.
enum class Op : uint32_t { kRead = 1, kWrite = 2, kReadSpace = 3 };

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
  uint32_t sequence;  // any number; the reply carries it back, so a reply out of step shows
  uint32_t op;        // an Op
  uint32_t location;
  uint32_t offset;  // byte offset, aligned to `width`
  uint32_t width;   // 1, 2 or 4 bytes
  uint32_t value;   // the value to write (only the low `width` bytes may be set); 0 for a read;
                    // for kReadSpace the bytes wanted, 0 for the whole space
  uint32_t reserved;
  // The time on the monotonic clock (MonotonicNs) from which the helper must no longer start
  // the request: the window has reported it failed by then, so doing it later would contradict
  // what the user was told. 0: no limit.
  uint64_t act_by_ns;
};

struct Reply {
  uint32_t magic;
  uint32_t sequence;  // the request's
  uint32_t ok;        // 1 done, 0 refused or failed
  uint32_t value;     // the value read; all-ones when a read failed; 0 for a write made (or
                      // kWriteUnrecorded); for kReadSpace the number of bytes that follow (0
                      // when it failed)
};

// Reply::value of a write refused, and not made, because the system log did not take the
// record of its intent.
constexpr uint32_t kWriteUnrecorded = 1;

static_assert(std::is_trivially_copyable_v<Request> && sizeof(Request) == 40);
static_assert(std::is_trivially_copyable_v<Reply> && sizeof(Reply) == 16);
static_assert(sizeof(Announcement) == 12 && sizeof(FunctionEntry) == 8);

// True when `request` is well formed and names an access inside a function that `functions`
// lists: `functions.SpaceSize(location)` gives the function's configuration space size in bytes,
// 0 for a location it does not list (any uint32_t, checked here before it is asked). A read of
// a space may ask for no byte past it nor past kMaxSpaceSize, and only for whole dwords.
template <typename Functions>
bool RequestValid(const Request& request, const Functions& functions) {
  if (request.magic != kMagic) return false;
  const bool read = request.op == static_cast<uint32_t>(Op::kRead);
  const bool write = request.op == static_cast<uint32_t>(Op::kWrite);
  const bool read_space = request.op == static_cast<uint32_t>(Op::kReadSpace);
  if (!read && !write && !read_space) return false;
  if (request.location >= kLocationCount) return false;
  if (read_space) {
    const uint32_t space_size = functions.SpaceSize(request.location);
    return request.offset == 0 && request.width == 0 && space_size != 0 && request.value % 4 == 0 &&
           request.value <= space_size && request.value <= kMaxSpaceSize;
  }
  if (!ConfigAccessValid(request.offset, request.width, functions.SpaceSize(request.location))) {
    return false;
  }
  const uint32_t unused_bits = request.width == 4 ? 0 : ~0u << (8 * request.width);
  return read ? request.value == 0 : (request.value & unused_bits) == 0;
}

// CLOCK_MONOTONIC in nanoseconds: one clock for both ends, which run on the same machine.
inline uint64_t MonotonicNs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint64_t>(now.tv_sec) * 1000000000u + static_cast<uint64_t>(now.tv_nsec);
}

// True when `request` may no longer be started at `now_ns`.
inline bool TooLate(const Request& request, uint64_t now_ns) {
  return request.act_by_ns != 0 && now_ns >= request.act_by_ns;
}

// What the helper is about to write, for the system log before the write is made: the register
// before and the value to write.
struct WriteIntent {
  uint32_t location;
  uint32_t offset;
  uint32_t width;
  std::optional<uint32_t> before;
  uint32_t value;
};

// What the helper did for one write, for the system log: the register before, the value
// written, whether the write was taken, and the register read back.
struct WriteRecord {
  uint32_t location;
  uint32_t offset;
  uint32_t width;
  std::optional<uint32_t> before;
  uint32_t value;
  bool written;
  std::optional<uint32_t> after;
};

// Holds back every signal that can be held while it lives, on the calling thread: one that
// arrives meanwhile is delivered when it ends.
class SignalsHeld {
 public:
  SignalsHeld() {
    sigset_t all;
    sigfillset(&all);
    held_ = pthread_sigmask(SIG_BLOCK, &all, &before_) == 0;
  }
  ~SignalsHeld() {
    if (held_) pthread_sigmask(SIG_SETMASK, &before_, nullptr);
  }
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;
  bool held() const { return held_; }

 private:
  sigset_t before_;
  bool held_;
};

// What records a write: its intent first, false when the record was not taken (the write is
// then not made), and its outcome after the read-back.
template <typename Record>
concept WriteRecorder = requires(Record& record, const WriteIntent& intent,
                                 const WriteRecord& outcome) {
  { record(intent) } -> std::same_as<bool>;
  record(outcome);
};

// Carries out one request through `backend` (ReadConfig(location, offset, width) ->
// std::optional<uint32_t>, WriteConfig(location, offset, width, value) -> bool,
// ReadSpace(location, bytes, capacity) -> bytes read, at most `capacity`, and SpaceSize as
// above), touching it only when the request is valid. A read of a space asks `backend` for as
// many bytes as the request wants (kMaxSpaceSize for the whole space), and leaves them in
// `space` (at least kMaxSpaceSize long) and their number in `reply.value`. Each write is recorded
// through `record`: its intent, with the register read before, and then, whatever its outcome, what
// it did and the register read after. A write whose intent the record does not take is refused
// untouched, with kWriteUnrecorded. Signals are held from the intent to the outcome, so that none
// (^C at the window's terminal) ends the helper between a write and its record; a write for which
// they cannot be held is refused untouched. A request whose time is up (TooLate by `now_ns()`) is
// refused untouched; a write is checked again just before its intent is recorded.
template <typename Backend, WriteRecorder Record>
Reply HandleRequest(const Request& request, Backend& backend, uint8_t* space, Record&& record,
                    uint64_t (*now_ns)() = MonotonicNs) {
  Reply reply{kMagic, request.sequence, 0, 0xFFFFFFFFu};
  if (!RequestValid(request, backend) || TooLate(request, now_ns())) return reply;
  switch (static_cast<Op>(request.op)) {
    case Op::kRead:
      if (const auto value = backend.ReadConfig(request.location, request.offset, request.width)) {
        reply.ok = 1;
        reply.value = *value;
      }
      return reply;
    case Op::kReadSpace:
      reply.value = backend.ReadSpace(request.location, space,
                                      request.value != 0 ? request.value : kMaxSpaceSize);
      reply.ok = reply.value != 0;
      return reply;
    case Op::kWrite:
      break;
  }
  WriteRecord done{request.location, request.offset, request.width, {}, request.value, false, {}};
  done.before = backend.ReadConfig(request.location, request.offset, request.width);
  if (TooLate(request, now_ns())) return reply;
  const SignalsHeld held;
  if (!held.held()) return reply;
  if (!record(WriteIntent{done.location, done.offset, done.width, done.before, done.value})) {
    reply.value = kWriteUnrecorded;
    return reply;
  }
  done.written =
      backend.WriteConfig(request.location, request.offset, request.width, request.value);
  done.after = backend.ReadConfig(request.location, request.offset, request.width);
  record(done);
  reply.value = 0;
  reply.ok = done.written;
  return reply;
}

}  // namespace qbus::access::helper
