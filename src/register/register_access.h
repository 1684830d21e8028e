// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "config_space/capability_walk.h"
#include "config_space/value_meanings.h"
#include "hw/hardware_access.h"
#include "register/captions.h"
#include "register/result_line.h"
#include "text/access_width.h"

namespace qbus::regs {

// The register one cycle reads and writes, fixed at READ.
struct RegisterTarget {
  AccessWidth width = AccessWidth::kDWord;
  uint32_t location = 0;  // bus << 8 | device << 3 | function
  uint32_t offset = 0;    // byte offset, aligned to the width
  LocationCaptions captions;
};

class WriteJournal;

// What the register phases know of the world beyond the window and the library.
struct AccessEnvironment {
  // Receives the lines that record each write (see write_record.h); empty: nothing is recorded.
  std::function<void(const std::string& line)> record_write;
  // Names class bytes in descriptions; empty: the program's own lookup in the PCI ID database.
  config_space::ClassNamer class_names;
  // Names vendors, devices and subsystems in the function view; empty: the same database.
  config_space::IdNamer id_names;
  // Receives every write of the session (write_journal.h); null: none is kept.
  WriteJournal* journal = nullptr;
};

// Reads the register through the width's read entry into `*value`, at the width. True when the
// library reports success; otherwise `*value` holds what the library left there (all-ones).
bool ReadRegister(const hw::HardwareAccess& access, const RegisterTarget& target, uint32_t* value);

// Writes the width's low bits of `value` through the width's write entry; true when the library
// reports success.
bool WriteRegister(const hw::HardwareAccess& access, const RegisterTarget& target, uint32_t value);

// Reads one function's configuration space through `access`'s read entries (for the
// capability walk); `access` must outlive the reader.
config_space::ConfigReader FunctionReader(const hw::HardwareAccess& access, uint32_t location);

// FunctionSpace::why for a location where nothing answers.
inline constexpr char kNoFunctionAnswers[] = "no function answers";

// A function's configuration space as far as it could be read, and whether that is all of it.
struct FunctionSpace {
  std::vector<uint8_t> bytes;  // from offset 0
  // True when `bytes` is all the library lets anyone read of the function: its whole space
  // (4096 or 256 bytes), or the first 64 bytes where only root reads further.
  bool whole = false;
  // Why nothing or only part was read: "no function answers", "the access helper has ended",
  // "the access helper does not answer"; empty when whole.
  std::string why;
};

// Reads a function's configuration space in one call of the library's whole-function entry, or
// a dword at a time through the read entry where the library lacks it. Only reads.
FunctionSpace ReadFunctionSpace(const hw::HardwareAccess& access, uint32_t location);

// As ReadFunctionSpace, of the function's first `size` bytes only (a multiple of 4, at most
// 4096), for a caller that needs no more: still one call, and no byte past them read or sent.
// `whole` holds when `bytes` has all `size` bytes, or all of a shorter space (256 bytes), or the
// first 64 bytes where only root reads further.
FunctionSpace ReadFunctionStart(const hw::HardwareAccess& access, uint32_t location, uint32_t size);

// The first `size` bytes of each of `locations` (as ReadFunctionStart), read `batch` functions to
// a call of the library's batch entry where it has one: through a helper, a few wakeups per run
// of functions, not a round trip per function. Asked for in increasing order of index, each once.
class FunctionStarts {
 public:
  FunctionStarts(const hw::HardwareAccess& access, std::vector<uint32_t> locations, uint32_t size,
                 size_t batch);

  // The reading of `locations[index]`.
  FunctionSpace Take(size_t index);

 private:
  std::vector<FunctionSpace> ReadRunFrom(size_t index) const;

  const hw::HardwareAccess& access_;
  std::vector<uint32_t> locations_;
  uint32_t size_;
  size_t batch_;
  size_t first_ = 0;                // the index of run_[0]
  std::vector<FunctionSpace> run_;  // the run read last
};

// Whether the library's access helper has ended or does not answer (kHelperEnded,
// kHelperSilent); nothing while it works, or for a library without a helper.
std::optional<FailureCause> HelperFault(const hw::HardwareAccess& access);

// Why an access to `target` just failed: the helper's fault where it has one, or for a write the
// helper's refusal for want of its record (kUnrecorded), else found by reading
// the function (never writing): a word at 0x00 (does any function answer?), a dword at 0x40 (does
// the library reach past the first 64 bytes, as only root's access does?) and, for an offset past
// 0xFF, a dword at 0x100 (does the function have extended space?). `write`: the failed access was a
// write. The size of the function's space goes to `*space_size` for kBeyondSpace.
FailureCause DiagnoseFailure(const hw::HardwareAccess& access, const RegisterTarget& target,
                             bool write, uint32_t* space_size);

}  // namespace qbus::regs
