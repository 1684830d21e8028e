// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <bitset>
#include <cstdint>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

#include "access/common/config_access.h"
#include "access/common/frame_io.h"
#include "access/common/helper_protocol.h"
#include "access/common/port_latch.h"

// The elevated access library's core: configuration accesses are carried out by the root
// helper on the other end of a stream, while everything that needs no hardware (absent
// functions, bad arguments, the port latch) is answered here, without a round trip.
namespace qbus::access::elevated {

// A connected helper: the stream to it and, when it was started here, its process.
struct HelperChannel {
  int fd = -1;
  pid_t pid = -1;  // -1: not a child of this process (tests serve the stream themselves)
};

// Starts `command` (an absolute program path and its arguments, without a search of PATH) with
// its standard input and output on one end of a new stream socket; nothing when that fails.
std::optional<HelperChannel> SpawnHelper(const std::vector<std::string>& command);

// Whether the helper still serves. Once it has ended or missed a deadline no request is sent
// again: every configuration access fails at once.
// The values are GetAccessStateEx's (entry_points.h).
enum class HelperState : uint32_t {
  kServing = 0,
  kEnded = 1,   // its stream ended or broke, or it answered out of step
  kSilent = 2,  // it did not answer within the deadline (stopped, or stuck)
};

class Core {
 public:
  // Takes over `channel`: its descriptor is closed on destruction, and its process waited for
  // there (at most 100 ms, and not at all once it was silent). Each reply must come within
  // `deadline_ms` milliseconds.
  explicit Core(HelperChannel channel, int deadline_ms = helper::kReplyDeadlineMs)
      : channel_(channel), deadline_ms_(deadline_ms) {}
  ~Core();
  Core(const Core&) = delete;
  Core& operator=(const Core&) = delete;

  // Reads the helper's announcement of the functions it found. False when the stream ends
  // first (the helper could not be started, or authentication was refused or cancelled), when
  // the helper reports that its PCI access does not work, or when the announcement is malformed.
  bool Init();

  // As the real library's core: nothing (or false) for an absent function, an unaligned
  // offset, an access beyond the function's configuration space or a location above 0xFFFF,
  // all without asking the helper; otherwise the helper's answer. Once the stream has broken
  // (the helper ended) every access fails.
  std::optional<uint32_t> ReadConfig(uint32_t location, uint32_t offset, uint32_t width);
  bool WriteConfig(uint32_t location, uint32_t offset, uint32_t width, uint32_t value);

  // The function's space from offset 0 in one round trip: its first `capacity` bytes, rounded
  // down to whole dwords, or all of it when it is shorter; only that many cross the stream. As
  // far as the helper could read it: that many, or 64 bytes when the helper lacks root. The
  // number of bytes stored in `bytes`; 0 (and nothing stored) when it failed. A reply of any
  // other size is a helper not to be trusted: the channel is closed as though it had ended.
  uint32_t ReadSpace(uint32_t location, uint8_t* bytes, uint32_t capacity);

  // As ReadSpace for each of `count` functions, the one of `locations[i]` into `capacity` bytes
  // at `bytes + i * capacity` and its size into `stored[i]` (0 where nothing was read). The
  // requests go out in runs of kRequestsSentAtOnce, each in one write, and the helper answers
  // each run in one write: a wakeup per run, not per function. Once the helper has failed, the
  // rest store 0. The number of functions read.
  uint32_t ReadSpaces(const uint32_t* locations, uint32_t count, uint32_t capacity, uint8_t* bytes,
                      uint32_t* stored);
  static constexpr uint32_t kRequestsSentAtOnce = 256;

  HelperState state() const { return state_; }

  // True when the helper refused the last write, and did not make it, because the system log
  // did not take the record of its intent; until the next write.
  bool write_unrecorded() const { return write_unrecorded_; }

  // Mechanism #1 ports; see PortLatch. Any port other than 0xCF8 and 0xCFC fails.
  std::optional<uint32_t> ReadPort(uint32_t port);
  bool WritePort(uint32_t port, uint32_t value);

  // Size of a function's configuration space in bytes as the helper announced it; 0 when absent.
  uint32_t SpaceSize(uint32_t location) const {
    return location < kLocationCount ? space_sizes_[location] : 0;
  }

 private:
  // Sends one request and takes its reply; nothing when the helper has ended, missed the
  // deadline or answered out of step (the channel is then closed and `state_` says which).
  std::optional<helper::Reply> Exchange(uint32_t op, uint32_t location, uint32_t offset,
                                        uint32_t width, uint32_t value);
  // The parts of an exchange: the next request in sequence; sending a run of requests in one
  // write; taking the reply to one of them, in the order sent.
  helper::Request NextRequest(uint32_t op, uint32_t location, uint32_t offset, uint32_t width,
                              uint32_t value);
  bool Send(const helper::Request* requests, size_t count);
  std::optional<helper::Reply> TakeReply(const helper::Request& request);
  bool TakeFrame(void* frame, size_t size);
  void Close();

  HelperChannel channel_;
  FrameReader replies_{channel_.fd, 128 * 1024};
  int deadline_ms_;
  HelperState state_ = HelperState::kServing;
  bool write_unrecorded_ = false;
  uint32_t sequence_ = 0;
  std::vector<uint16_t> space_sizes_ = std::vector<uint16_t>(kLocationCount);
  PortLatch latch_;
};

// The helper's path for the elevated library found at `library_path`, from the installed layout
// (libexec beside the library folder); resolves symbolic links. Empty when it cannot be resolved.
std::string HelperPathFor(const std::string& library_path);

}  // namespace qbus::access::elevated
