// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <sys/types.h>

#include "access/common/helper_protocol.h"
#include "access/common/system_log.h"

namespace qbus::access::helper {

// The helper's two system-log lines for one write, the window's own (src/register/write_record.h,
// config_space/write_record_line.h) each followed by the user whose window asked for it: the
// intent, before the write is made, and the outcome, after the read-back, for example
//   write 00:03.1 offset=0x0040 width=Word before=0x0407 value=0x0406 uid=1000
//   write 00:03.1 offset=0x0040 width=Word before=0x0407 value=0x0406 after=0x0406 result=ok
//   uid=1000
// (the outcome one line); `uid` is "unknown" when nothing says.
std::string FormatWriteIntent(const WriteIntent& intent, std::optional<uid_t> uid);
std::string FormatWriteRecord(const WriteRecord& record, std::optional<uid_t> uid);

// Records the helper's writes in `log` (which keeps no fallback) for the window's user `uid`;
// a WriteRecorder. An intent the system log does not take refuses the write.
class WriteLog {
 public:
  WriteLog(SystemLog& log, uid_t uid) : log_(log), uid_(uid) {}
  bool operator()(const WriteIntent& intent) {
    return log_.Record(FormatWriteIntent(intent, uid_));
  }
  void operator()(const WriteRecord& record) { log_.Record(FormatWriteRecord(record, uid_)); }

 private:
  SystemLog& log_;
  uid_t uid_;
};

}  // namespace qbus::access::helper
