// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tests/register/lspci_rows.h"

namespace qbus::config_space {

inline const std::vector<FlagRow> kSharingFlags = {};
inline const std::vector<ValueRow> kSharingValues = {};

}  // namespace qbus::config_space
