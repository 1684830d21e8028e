#include "access/common/port_latch.h"

namespace qbus::access {

bool PortLatch::Write(uint32_t port, uint32_t value) {
  if (port != kAddressPort) return false;
  latched_ = value;
  return true;
}

LatchedTarget PortLatch::Target() const {
  return {(latched_ & 0x80000000u) != 0, (latched_ >> 8) & 0xFFFF, latched_ & 0xFC};
}

}  // namespace qbus::access
