// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tests/register/lspci_rows.h"

namespace qbus::config_space {

inline const std::vector<FlagRow> kBusFlags = {};
inline const std::vector<ValueRow> kBusValues = {};

}  // namespace qbus::config_space
