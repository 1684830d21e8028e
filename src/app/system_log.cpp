// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/system_log.h"

#include <syslog.h>

namespace qbus::app {

void RecordInSystemLog(const std::string& line) {
  openlog("quoril-bus", LOG_PID, LOG_USER);
  syslog(LOG_NOTICE, "%s", line.c_str());
}

}  // namespace qbus::app
