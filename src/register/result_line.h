// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

#include "register/captions.h"
#include "text/access_width.h"

namespace qbus::regs {

enum class LineKind { kRead, kWrite, kTest };

// One result line, for example
// "Read-Word (Bus=0x80 (128), Device=0x03 (3), Function=0x1 (1), Address=0x0004 (4)) :  Hex: A5C3
//  Bin: 10100101 11000011    Dec: 42435" (one line, four blanks before "Bin:" and "Dec:").
// Only the width's low bits of `value` count, as an unsigned number.
std::string FormatResultLine(LineKind kind, AccessWidth width, uint32_t value,
                             const LocationCaptions& captions);

// A result line for an access that failed: the same prefix and location, then `failure` in
// place of the value, for example
// "Read-DWord (Bus=0x00 (0), Device=0x03 (3), Function=0x1 (1), Address=0x0040 (64)) :  Read
//  failed: needs root from offset 0x40 on".
std::string FormatFailureLine(LineKind kind, AccessWidth width, const LocationCaptions& captions,
                              const std::string& failure);

// Why an access failed, as DiagnoseFailure (register_access.h) finds it.
enum class FailureCause {
  kNoFunction,    // no function answers at the location
  kBeyondSpace,   // the offset lies beyond the function's configuration space
  kNeedsRoot,     // the library reaches only the first 64 bytes, and writes nothing
  kRefused,       // none of these: the library refused it
  kHelperEnded,   // the library's access helper has ended: nothing reaches the hardware now
  kHelperSilent,  // the library's access helper does not answer (stopped or stuck)
  kUnrecorded,    // the library's access helper refused a write: the system log took no record
};

// "the access helper has ended" and "the access helper does not answer" for the two helper
// causes; empty for the others.
std::string HelperFailure(FailureCause cause);

// The text of a failed read at byte `offset`, for example "Read failed: needs root from offset
// 0x40 on". For kBeyondSpace `space_size` names the function's size in bytes (256, or 4096 for
// an offset past the 4 KiB every function ends at).
std::string ReadFailure(FailureCause cause, uint32_t offset, uint32_t space_size = 0);

// ReadFailure without "Read failed: ", for a sentence of its own: "needs root from offset 0x40 on".
std::string ReadFailureReason(FailureCause cause, uint32_t offset, uint32_t space_size);

// The text of a failed write, for example "Write failed: needs root", or "Write refused: the
// system log does not take the record" for kUnrecorded.
std::string WriteFailure(FailureCause cause, uint32_t space_size = 0);

}  // namespace qbus::regs
