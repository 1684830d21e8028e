// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdio>
#include <string>

namespace qbus::access {

// Where writes are recorded: the system log (facility user), reached through its socket. The
// window records the writes of the in-process and simulated libraries as "quoril-bus"; the root
// helper records every write it carries out as "quoril-bus-helper". Where no system log listens
// (no socket, nothing behind it, or a reader too slow to take more), a record must not be lost
// and the writer must not wait: it goes to `fallback` instead, and the first time that happens
// a line there says so. Sending never blocks.
class SystemLog {
 public:
  explicit SystemLog(std::string identifier = "quoril-bus", std::string socket_path = "/dev/log",
                     std::FILE* fallback = stderr)
      : identifier_(std::move(identifier)),
        socket_path_(std::move(socket_path)),
        fallback_(fallback) {}

  // Sends one record, as syslog(3) would: "<13>Mmm dd hh:mm:ss IDENTIFIER[PID]: LINE".
  void Record(const std::string& line);

 private:
  bool Send(const std::string& message) const;

  std::string identifier_;
  std::string socket_path_;
  std::FILE* fallback_;
  bool fallback_announced_ = false;
};

}  // namespace qbus::access
