// SPDX-License-Identifier: GPL-3.0-or-later
#include "access/common/port_latch.h"

namespace qbus::access {

bool PortLatch::Write(uint32_t port, uint32_t value) {
  if (port != kAddressPort) return false;
  latched_ = value;
  return true;
}

}  // namespace qbus::access
