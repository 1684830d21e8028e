// SPDX-License-Identifier: GPL-3.0-or-later
#include "config_space/capability_groups.h"

namespace qbus::config_space {

std::span<const CapabilityName> SharingExtendedCapabilities() { return {}; }

}  // namespace qbus::config_space
