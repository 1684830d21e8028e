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

SystemLog::~SystemLog() {
  if (connection_ >= 0) close(connection_);
}

// A socket of `type` connected to the system log; -1 when nothing listens there.
int SystemLog::Open(int type) const {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (socket_path_.size() >= sizeof address.sun_path) return -1;
  std::memcpy(address.sun_path, socket_path_.c_str(), socket_path_.size() + 1);
  const int fd = socket(AF_UNIX, type | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd >= 0 && connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

bool SystemLog::SendOn(int fd, int type, const std::string& message) const {
  // A stream takes the record whole or it is not taken: a cut one would run into the next.
  const size_t size = message.size() + (type == SOCK_STREAM ? 1 : 0);
  return send(fd, message.c_str(), size, MSG_NOSIGNAL | MSG_DONTWAIT) == static_cast<ssize_t>(size);
}

// The system log takes datagrams; some daemons listen on a stream socket instead.
int SystemLog::Connect() {
  connected_once_ = true;
  for (int type : {SOCK_DGRAM, SOCK_STREAM}) {
    connection_ = Open(type);
    connection_type_ = type;
    if (connection_ >= 0) break;
  }
  return connection_;
}

bool SystemLog::Send(const std::string& message) {
  if (connected_once_) return connection_ >= 0 && SendOn(connection_, connection_type_, message);
  for (int type : {SOCK_DGRAM, SOCK_STREAM}) {
    const int fd = Open(type);
    if (fd < 0) continue;
    const bool sent = SendOn(fd, type, message);
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
