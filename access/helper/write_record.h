// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <sys/types.h>

#include "access/common/helper_protocol.h"

namespace qbus::access::helper {

// The helper's system-log line for one write it carried out, for example
//   write 00:03.1 offset=0x0040 width=Word before=0x0407 value=0x0406 after=0x0406 result=ok
//   uid=1000
// (one line). Values have the width's number of hex digits; `before` and `after` are "none"
// where that read failed; `result` is ok or write-failed; `uid` is the user whose window asked
// for the write, "unknown" when nothing says.
std::string FormatWriteRecord(const WriteRecord& record, std::optional<uid_t> uid);

}  // namespace qbus::access::helper
