// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdio>
#include <string>

namespace qbus::access {

// Where writes are recorded: the system log (facility user), reached through its socket. The
// window records the writes of the in-process and simulated libraries as "quoril-bus"; the root
// helper records every write it carries out as "quoril-bus-helper". Sending never blocks: a
// record that the system log does not take at once (no socket, nothing behind it, or a reader
// too slow to take more) goes to `fallback` instead, and the first time that happens a line
// there says so. The root helper has no fallback: its standard error is the user's, and a
// record there could be forged or held up by the user.
class SystemLog {
 public:
  // `fallback` null: a record the system log does not take goes nowhere.
  explicit SystemLog(std::string identifier = "quoril-bus", std::string socket_path = "/dev/log",
                     std::FILE* fallback = stderr)
      : identifier_(std::move(identifier)),
        socket_path_(std::move(socket_path)),
        fallback_(fallback) {}
  ~SystemLog();
  SystemLog(const SystemLog&) = delete;
  SystemLog& operator=(const SystemLog&) = delete;

  // Opens the one connection every later record goes through, for a process that may open no
  // socket after its set-up (the root helper): from then on a record never opens one, and when
  // the connection could not be made, or the system log behind it has gone, none is taken.
  // Without it each record opens its own, so a restarted system log is found again. The
  // descriptor of the connection; -1 when none could be made.
  int Connect();

  // Sends one record, as syslog(3) would: "<13>Mmm dd hh:mm:ss IDENTIFIER[PID]: LINE". True when
  // the system log took it.
  bool Record(const std::string& line);

 private:
  bool Send(const std::string& message);
  bool SendOn(int fd, int type, const std::string& message) const;
  int Open(int type) const;

  std::string identifier_;
  std::string socket_path_;
  std::FILE* fallback_;
  bool fallback_announced_ = false;
  bool connected_once_ = false;
  int connection_ = -1;
  int connection_type_ = 0;
};

}  // namespace qbus::access
