// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <sys/types.h>

#include "access/common/helper_protocol.h"

namespace qbus::access::helper {

// The helper's system-log line for one write it carried out: the window's record of a write
// (config_space/write_record_line.h) followed by the user whose window asked for it, for example
//   write 00:03.1 offset=0x0040 width=Word before=0x0407 value=0x0406 after=0x0406 result=ok
//   uid=1000
// (one line); `uid` is "unknown" when nothing says.
std::string FormatWriteRecord(const WriteRecord& record, std::optional<uid_t> uid);

}  // namespace qbus::access::helper
