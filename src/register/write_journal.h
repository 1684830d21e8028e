// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "register/register_access.h"

// Every write of this session, in order, for the user to look back on and restore; the system
// log keeps the lasting record.
namespace qbus::regs {

struct JournalEntry {
  std::string time;  // "14:03:27", local
  RegisterTarget target;
  uint32_t before = 0;   // what the register held
  uint32_t written = 0;  // what was written
  bool taken = false;    // whether the library took the write
  std::optional<uint32_t> read_back;
};

class WriteJournal {
 public:
  void Add(JournalEntry entry);
  const std::vector<JournalEntry>& Entries() const { return entries_; }
  // Called after each entry is added (the function view watches for writes to its function).
  void Watch(std::function<void(const JournalEntry&)> watcher) { watcher_ = std::move(watcher); }

 private:
  std::vector<JournalEntry> entries_;
  std::function<void(const JournalEntry&)> watcher_;
};

// One line of the journal, with the register's name when given:
//   "14:03:27  00:1c.0 0x48 Word PCI Express Device Control: 0x2810 -> 0x2850, read back 0x2850
//   (as written)"
// The read-back says "(as written)", "(differs)", "read back failed"; a write the library
// refused says "refused".
std::string FormatJournalLine(const JournalEntry& entry, const std::string& register_name);

// The time of day now, "HH:MM:SS".
std::string TimeOfDay();

}  // namespace qbus::regs
