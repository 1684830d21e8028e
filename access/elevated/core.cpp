// SPDX-License-Identifier: GPL-3.0-or-later
#include "access/elevated/core.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include "access/common/frame_io.h"

extern char** environ;

namespace qbus::access::elevated {
namespace {

constexpr uint32_t kWrite = static_cast<uint32_t>(helper::Op::kWrite);
constexpr uint32_t kRead = static_cast<uint32_t>(helper::Op::kRead);
constexpr uint32_t kReadSpace = static_cast<uint32_t>(helper::Op::kReadSpace);

// Waits up to `timeout_ms` for the child `pid` to end and reaps it; gives up after that.
void ReapWithin(pid_t pid, int timeout_ms) {
  const int pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
  if (pidfd >= 0) {
    pollfd ended{pidfd, POLLIN, 0};
    while (poll(&ended, 1, timeout_ms) < 0 && errno == EINTR) {
    }
    close(pidfd);
  }
  while (waitpid(pid, nullptr, WNOHANG) < 0 && errno == EINTR) {
  }
}

}  // namespace

std::optional<HelperChannel> SpawnHelper(const std::vector<std::string>& command) {
  if (command.empty() || command[0].empty() || command[0][0] != '/') return std::nullopt;
  int ends[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return std::nullopt;
  std::vector<char*> argv;
  for (const std::string& argument : command) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  // dup2 leaves the copies on 0 and 1 open across exec; the originals close with the exec.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, ends[1], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
  pid_t pid = -1;
  const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(ends[1]);
  if (failed != 0) {
    close(ends[0]);
    return std::nullopt;
  }
  return HelperChannel{ends[0], pid};
}

Core::~Core() { Close(); }

void Core::Close() {
  if (channel_.fd >= 0) close(channel_.fd);
  channel_.fd = -1;
  // The helper ends when its input closes; pkexec ends with it. A silent helper may never end,
  // so it is not waited for; one stopped unnoticed holds EXIT no longer than this.
  constexpr int kReapBudgetMs = 100;
  if (channel_.pid > 0 && state_ != HelperState::kSilent) ReapWithin(channel_.pid, kReapBudgetMs);
  channel_.pid = -1;
}

bool Core::Init() {
  // No deadline here: pkexec asks for the password first, and the user takes their time.
  helper::Announcement announcement;
  if (channel_.fd < 0 ||
      ReadFrame(channel_.fd, &announcement, sizeof announcement) != FrameRead::kComplete ||
      announcement.magic != helper::kMagic || announcement.ready != 1 ||
      announcement.count > kLocationCount) {
    Close();
    return false;
  }
  std::vector<helper::FunctionEntry> functions(announcement.count);
  if (ReadFrame(channel_.fd, functions.data(), functions.size() * sizeof(helper::FunctionEntry)) !=
      FrameRead::kComplete) {
    Close();
    return false;
  }
  for (const helper::FunctionEntry& function : functions) {
    if (function.location >= kLocationCount ||
        (function.space_size != 256 && function.space_size != 4096)) {
      Close();
      return false;
    }
    space_sizes_[function.location] = static_cast<uint16_t>(function.space_size);
  }
  return true;
}

bool Core::TakeFrame(void* frame, size_t size) {
  // Once closed, the descriptor's number may name another file of the process.
  if (channel_.fd < 0) return false;
  const FrameRead got = replies_.Read(frame, size, deadline_ms_);
  if (got == FrameRead::kComplete) return true;
  state_ = got == FrameRead::kTimedOut ? HelperState::kSilent : HelperState::kEnded;
  Close();
  return false;
}

helper::Request Core::NextRequest(uint32_t op, uint32_t location, uint32_t offset, uint32_t width,
                                  uint32_t value) {
  // The helper must start the request within half the time this end waits for its reply: a
  // helper stopped past that point (and resumed after the failure was reported) leaves it
  // undone.
  const uint64_t act_by =
      deadline_ms_ < 0 ? 0 : helper::MonotonicNs() + static_cast<uint64_t>(deadline_ms_) * 500000u;
  return {helper::kMagic, ++sequence_, op, location, offset, width, value, 0, act_by};
}

bool Core::Send(const helper::Request* requests, size_t count) {
  if (channel_.fd < 0) return false;
  if (WriteFrame(channel_.fd, requests, count * sizeof *requests)) return true;
  state_ = HelperState::kEnded;
  Close();
  return false;
}

std::optional<helper::Reply> Core::TakeReply(const helper::Request& request) {
  helper::Reply reply;
  if (!TakeFrame(&reply, sizeof reply)) return std::nullopt;
  if (reply.magic != helper::kMagic || reply.sequence != request.sequence || reply.ok > 1) {
    state_ = HelperState::kEnded;  // out of step: nothing it sends can be trusted any more
    Close();
    return std::nullopt;
  }
  return reply;
}

std::optional<helper::Reply> Core::Exchange(uint32_t op, uint32_t location, uint32_t offset,
                                            uint32_t width, uint32_t value) {
  const helper::Request request = NextRequest(op, location, offset, width, value);
  if (!Send(&request, 1)) return std::nullopt;
  return TakeReply(request);
}

std::optional<uint32_t> Core::ReadConfig(uint32_t location, uint32_t offset, uint32_t width) {
  if (!ConfigAccessValid(offset, width, SpaceSize(location))) return std::nullopt;
  const auto reply = Exchange(kRead, location, offset, width, 0);
  if (!reply || reply->ok != 1) return std::nullopt;
  return reply->value;
}

bool Core::WriteConfig(uint32_t location, uint32_t offset, uint32_t width, uint32_t value) {
  std::optional<helper::Reply> reply;
  if (ConfigAccessValid(offset, width, SpaceSize(location))) {
    const uint32_t kept = width == 4 ? value : value & ((1u << (8 * width)) - 1);
    reply = Exchange(kWrite, location, offset, width, kept);
  }
  write_unrecorded_ = reply && reply->ok == 0 && reply->value == helper::kWriteUnrecorded;
  return reply && reply->ok == 1;
}

uint32_t Core::ReadSpace(uint32_t location, uint8_t* bytes, uint32_t capacity) {
  uint32_t stored = 0;
  ReadSpaces(&location, 1, capacity, bytes, &stored);
  return stored;
}

uint32_t Core::ReadSpaces(const uint32_t* locations, uint32_t count, uint32_t capacity,
                          uint8_t* bytes, uint32_t* stored) {
  std::fill_n(stored, count, 0);
  std::vector<uint32_t> asked;  // the index of each function to ask for, in order
  for (uint32_t i = 0; i < count; ++i) {
    if (std::min(capacity & ~3u, SpaceSize(locations[i])) != 0) asked.push_back(i);
  }
  // Two runs are out at a time, so the helper reads the next while this end takes the last.
  std::vector<helper::Request> requests(asked.size());
  size_t sent = 0;
  const auto send_run = [&] {
    const size_t end = std::min(sent + kRequestsSentAtOnce, asked.size());
    for (size_t k = sent; k < end; ++k) {
      const uint32_t location = locations[asked[k]];
      requests[k] =
          NextRequest(kReadSpace, location, 0, 0, std::min(capacity & ~3u, SpaceSize(location)));
      // The helper starts a read of a run only once it has read those before it, which may take
      // seconds on slow hardware; a read started late changes nothing, and the replies are still
      // waited for one at a time.
      requests[k].act_by_ns = 0;
    }
    const bool done = Send(&requests[sent], end - sent);
    sent = end;
    return done;
  };
  uint32_t read = 0;
  for (size_t k = 0; k < asked.size(); ++k) {
    if (sent < asked.size() && sent - k <= kRequestsSentAtOnce && !send_run()) return read;
    const auto reply = TakeReply(requests[k]);
    if (!reply) return read;
    if (reply->ok != 1) continue;
    // Only the sizes the helper can honestly read: all that was asked, or a user's 64 bytes.
    const uint32_t wanted = requests[k].value;
    if (reply->value != wanted && (reply->value != 64 || wanted < 64)) {
      state_ = HelperState::kEnded;
      Close();
      return read;
    }
    if (!TakeFrame(bytes + size_t{asked[k]} * capacity, reply->value)) return read;
    stored[asked[k]] = reply->value;
    ++read;
  }
  return read;
}

std::optional<uint32_t> Core::ReadPort(uint32_t port) {
  return latch_.Read(
      port, [this](uint32_t location, uint32_t offset) { return ReadConfig(location, offset, 4); });
}

bool Core::WritePort(uint32_t port, uint32_t value) { return latch_.Write(port, value); }

std::string HelperPathFor(const std::string& library_path) {
  char resolved[PATH_MAX];
  if (realpath(library_path.c_str(), resolved) == nullptr) return {};
  std::string folder = resolved;
  folder.erase(folder.rfind('/'));
  const std::string helper = folder + "/" + QBUS_LIBRARY_TO_HELPER;
  if (realpath(helper.c_str(), resolved) == nullptr) return {};
  return resolved;
}

}  // namespace qbus::access::elevated
