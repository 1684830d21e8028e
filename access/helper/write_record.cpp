// SPDX-License-Identifier: GPL-3.0-or-later
#include "access/helper/write_record.h"

#include "config_space/write_record_line.h"

namespace qbus::access::helper {
namespace {

std::string User(std::optional<uid_t> uid) {
  return " uid=" + (uid ? std::to_string(*uid) : "unknown");
}

}  // namespace

std::string FormatWriteIntent(const WriteIntent& intent, std::optional<uid_t> uid) {
  const config_space::RegisterWrite write{intent.location, intent.offset, intent.width,
                                          intent.before, intent.value};
  return config_space::WriteIntentLine(write) + User(uid);
}

std::string FormatWriteRecord(const WriteRecord& record, std::optional<uid_t> uid) {
  const config_space::RegisterWrite write{record.location, record.offset, record.width,
                                          record.before, record.value};
  return config_space::WriteOutcomeLine(write, record.written, record.after) + User(uid);
}

}  // namespace qbus::access::helper
