// SPDX-License-Identifier: GPL-3.0-or-later
#include "access/elevated/core.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include "access/common/frame_io.h"
#include "access/common/helper_protocol.h"

extern char** environ;

namespace qbus::access::elevated {
namespace {

constexpr uint32_t kWrite = static_cast<uint32_t>(helper::Op::kWrite);
constexpr uint32_t kRead = static_cast<uint32_t>(helper::Op::kRead);

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
  // The helper ends when its input closes; pkexec ends with it.
  if (channel_.pid > 0) {
    while (waitpid(channel_.pid, nullptr, 0) < 0 && errno == EINTR) {
    }
  }
  channel_.pid = -1;
}

bool Core::Init() {
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

std::optional<uint32_t> Core::Exchange(uint32_t op, uint32_t location, uint32_t offset,
                                       uint32_t width, uint32_t value) {
  if (channel_.fd < 0 || !ConfigAccessValid(offset, width, SpaceSize(location))) {
    return std::nullopt;
  }
  const helper::Request request{helper::kMagic, op, location, offset, width, value};
  helper::Reply reply;
  if (!WriteFrame(channel_.fd, &request, sizeof request) ||
      ReadFrame(channel_.fd, &reply, sizeof reply, helper::kSpinMicroseconds) !=
          FrameRead::kComplete ||
      reply.magic != helper::kMagic) {
    Close();  // a helper that is gone, or out of step, answers nothing more
    return std::nullopt;
  }
  if (reply.ok != 1) return std::nullopt;
  return reply.value;
}

std::optional<uint32_t> Core::ReadConfig(uint32_t location, uint32_t offset, uint32_t width) {
  return Exchange(kRead, location, offset, width, 0);
}

bool Core::WriteConfig(uint32_t location, uint32_t offset, uint32_t width, uint32_t value) {
  const uint32_t kept = width == 4 ? value : value & ((1u << (8 * width)) - 1);
  return Exchange(kWrite, location, offset, width, kept).has_value();
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
