// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "config_space/function_tree.h"

namespace qbus::config_space {
namespace {}  // namespace
}  // namespace qbus::config_space
