// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "access/common/helper_protocol.h"

namespace qbus::test {

// A helper's write recorder for tests of the frames and the sessions: every intent is taken,
// and each outcome goes to `outcome`.
template <typename Outcome>
struct TakingEveryIntent {
  Outcome outcome;
  bool operator()(const access::helper::WriteIntent&) { return true; }
  void operator()(const access::helper::WriteRecord& record) { outcome(record); }
};

}  // namespace qbus::test
