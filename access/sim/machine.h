// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <bitset>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "access/common/config_access.h"
#include "access/sim/write_model.h"
#include "config_space/dump_file.h"

// A simulated PCI machine: the functions of a dump, with writes following the write model.
// Changes live as long as the object. A function's write masks are made at its first write, so
// a machine of many functions costs little more than their bytes. The dump's functions are kept
// where the parser put them and found through a table by location: a probe costs one look-up.
namespace qbus::access::sim {

class Machine {
 public:
  explicit Machine(config_space::MachineImage image);

  bool Present(uint32_t location) const { return location < kLocationCount && present_[location]; }

  // Reads `width` bytes (1, 2, 4) at `offset`, little-endian. Nothing for an absent function, an
  // unaligned offset or an access beyond the function's space (256, or 4096 when the dump gives
  // bytes past 0xFF). Bytes the dump does not give read as 0xFF.
  std::optional<uint32_t> Read(uint32_t location, uint32_t offset, uint32_t width) const;

  // Writes the low `width` bytes of `value` through the write model; false in the cases where
  // Read gives nothing.
  bool Write(uint32_t location, uint32_t offset, uint32_t width, uint32_t value);

 private:
  // The function when the access fits it, else null.
  const config_space::FunctionImage* Find(uint32_t location, uint32_t offset, uint32_t width) const;

  config_space::MachineImage image_;
  std::bitset<kLocationCount> present_;
  std::vector<config_space::FunctionImage*> by_location_;  // null where absent
  std::map<uint32_t, std::unique_ptr<WriteMasks>> masks_;  // made at a function's first write
};

}  // namespace qbus::access::sim
