// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace qbus::app {

// Sends one line to the system log (syslog, facility user, identifier "quoril-bus"). The
// program keeps no files of its own; this is where its writes are recorded.
void RecordInSystemLog(const std::string& line);

}  // namespace qbus::app
