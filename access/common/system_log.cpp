// SPDX-License-Identifier: GPL-3.0-or-later
#include "access/common/system_log.h"

#include <cstring>
#include <ctime>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace qbus::access {
namespace {

constexpr int kUserNotice = 8 + 5;  // LOG_USER | LOG_NOTICE

}  // namespace

bool SystemLog::Send(const std::string& message) const {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (socket_path_.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, socket_path_.c_str(), socket_path_.size() + 1);
  // The system log takes datagrams; some daemons listen on a stream socket instead.
  for (int type : {SOCK_DGRAM, SOCK_STREAM}) {
    const int fd = socket(AF_UNIX, type | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return false;
    // A stream takes the record whole or it is not taken: a cut one would run into the next.
    const size_t size = message.size() + (type == SOCK_STREAM ? 1 : 0);
    const bool sent =
        connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
        send(fd, message.c_str(), size, MSG_NOSIGNAL | MSG_DONTWAIT) == static_cast<ssize_t>(size);
    close(fd);
    if (sent) return true;
  }
  return false;
}

bool SystemLog::Record(const std::string& line) {
  char stamp[32] = "";
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local) != nullptr) std::strftime(stamp, sizeof stamp, "%h %e %T", &local);
  const std::string message = "<" + std::to_string(kUserNotice) + ">" + stamp + " " + identifier_ +
                              "[" + std::to_string(getpid()) + "]: " + line;
  if (Send(message)) return true;
  if (fallback_ == nullptr) return false;
  if (!fallback_announced_) {
    std::fprintf(fallback_, "%s: no system log listens at %s; write records go to standard error\n",
                 identifier_.c_str(), socket_path_.c_str());
    fallback_announced_ = true;
  }
  std::fprintf(fallback_, "%s: %s\n", identifier_.c_str(), line.c_str());
  std::fflush(fallback_);
  return false;
}

}  // namespace qbus::access
