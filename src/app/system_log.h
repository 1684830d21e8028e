// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdio>
#include <string>

namespace qbus::app {

// Where the program records its writes: the system log (facility user, identifier
// "quoril-bus"), reached through its socket. The program keeps no files of its own. Where no
// system log listens (no socket, or nothing behind it), a record must not be lost: it goes to
// `fallback` instead, and the first time that happens a line there says so.
class SystemLog {
 public:
  explicit SystemLog(std::string socket_path = "/dev/log", std::FILE* fallback = stderr)
      : socket_path_(std::move(socket_path)), fallback_(fallback) {}

  // Sends one record, as syslog(3) would: "<13>Mmm dd hh:mm:ss quoril-bus[PID]: LINE".
  void Record(const std::string& line);

 private:
  bool Send(const std::string& message) const;

  std::string socket_path_;
  std::FILE* fallback_;
  bool fallback_announced_ = false;
};

}  // namespace qbus::app
