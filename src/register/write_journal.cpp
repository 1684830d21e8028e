// SPDX-License-Identifier: GPL-3.0-or-later
#include "register/write_journal.h"

#include <ctime>

#include "config_space/function_dump.h"
#include "text/register_texts.h"

namespace qbus::regs {

void WriteJournal::Add(JournalEntry entry) {
  entries_.push_back(std::move(entry));
  if (watcher_) watcher_(entries_.back());
}

std::string FormatJournalLine(const JournalEntry& entry, const std::string& register_name) {
  const RegisterTarget& target = entry.target;
  const int digits = 2 * WidthBytes(target.width);
  std::string line = entry.time + "  " + config_space::LocationText(target.location, 0) + " " +
                     text::OffsetLiteral(target.offset) + " " + WidthName(target.width) +
                     (register_name.empty() ? "" : " " + register_name) + ": " +
                     text::HexLiteral(entry.before, digits) + " -> " +
                     text::HexLiteral(entry.written, digits) + ", ";
  if (!entry.taken) return line + "refused";
  if (!entry.read_back) return line + "read back failed";
  return line + "read back " + text::HexLiteral(*entry.read_back, digits) +
         (*entry.read_back == entry.written ? " (as written)" : " (differs)");
}

std::string TimeOfDay() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[16];
  std::strftime(text, sizeof text, "%H:%M:%S", &local);
  return text;
}

}  // namespace qbus::regs
