// SPDX-License-Identifier: GPL-3.0-or-later
#include "register/register_access.h"

#include <algorithm>
#include <cassert>
#include <cstddef>

#include "config_space/header_offsets.h"

namespace qbus::regs {

bool ReadRegister(const hw::HardwareAccess& access, const RegisterTarget& target, uint32_t* value) {
  uint32_t done = 0;
  switch (target.width) {
    case AccessWidth::kDWord:
      done = access.ReadPciConfigDwordEx(target.location, target.offset, value);
      break;
    case AccessWidth::kWord: {
      auto word = static_cast<uint16_t>(*value);
      done = access.ReadPciConfigWordEx(target.location, target.offset, &word);
      *value = word;
      break;
    }
    case AccessWidth::kByte: {
      auto byte = static_cast<uint8_t>(*value);
      done = access.ReadPciConfigByteEx(target.location, target.offset, &byte);
      *value = byte;
      break;
    }
  }
  return done != 0;
}

bool WriteRegister(const hw::HardwareAccess& access, const RegisterTarget& target, uint32_t value) {
  switch (target.width) {
    case AccessWidth::kDWord:
      return access.WritePciConfigDwordEx(target.location, target.offset, value) != 0;
    case AccessWidth::kWord:
      return access.WritePciConfigWordEx(target.location, target.offset,
                                         static_cast<uint16_t>(value)) != 0;
    case AccessWidth::kByte:
      return access.WritePciConfigByteEx(target.location, target.offset,
                                         static_cast<uint8_t>(value)) != 0;
  }
  return false;
}

config_space::ConfigReader FunctionReader(const hw::HardwareAccess& access, uint32_t location) {
  return [&access, location](uint32_t offset, uint32_t width) -> std::optional<uint32_t> {
    const AccessWidth widths[] = {AccessWidth::kByte, AccessWidth::kWord, AccessWidth::kByte,
                                  AccessWidth::kDWord};
    const RegisterTarget target{widths[(width - 1) & 3], location, offset, {}};
    uint32_t value = 0;
    if (!ReadRegister(access, target, &value)) return std::nullopt;
    return value;
  };
}

std::optional<FailureCause> HelperFault(const hw::HardwareAccess& access) {
  if (access.GetAccessStateEx == nullptr) return std::nullopt;
  switch (access.GetAccessStateEx()) {
    case 1:
      return FailureCause::kHelperEnded;
    case 2:
      return FailureCause::kHelperSilent;
    default:
      return std::nullopt;
  }
}

FunctionSpace ReadFunctionSpace(const hw::HardwareAccess& access, uint32_t location) {
  return ReadFunctionStart(access, location, 0x1000);
}

namespace {

// Whether `space`, read as the first `size` bytes of a function, is all of them there are;
// `fault` is the helper's state after the read.
void Judge(FunctionSpace& space, uint32_t size, std::optional<FailureCause> fault) {
  if (fault) {
    space.why = HelperFailure(*fault);
  } else if (space.bytes.empty()) {
    space.why = kNoFunctionAnswers;
  }
  const size_t got = space.bytes.size();
  space.whole = space.why.empty() && (got == size || ((got == 0x40 || got == 0x100) && got < size));
  if (!space.whole && space.why.empty()) space.why = "the reading stopped early";
}

}  // namespace

FunctionSpace ReadFunctionStart(const hw::HardwareAccess& access, uint32_t location,
                                uint32_t size) {
  assert(size % 4 == 0 && size <= 0x1000);
  FunctionSpace space;
  if (access.ReadPciConfigSpaceEx != nullptr) {
    space.bytes.resize(size);
    const uint32_t got = access.ReadPciConfigSpaceEx(location, space.bytes.data(), size);
    space.bytes.resize(got <= size ? got : 0);
  } else {
    for (uint32_t offset = 0; offset < size; offset += 4) {
      uint32_t dword = 0;
      if (access.ReadPciConfigDwordEx(location, offset, &dword) == 0) break;
      for (int shift = 0; shift < 32; shift += 8) {
        space.bytes.push_back(static_cast<uint8_t>(dword >> shift));
      }
    }
  }
  Judge(space, size, HelperFault(access));
  return space;
}

FunctionStarts::FunctionStarts(const hw::HardwareAccess& access, std::vector<uint32_t> locations,
                               uint32_t size, size_t batch)
    : access_(access),
      locations_(std::move(locations)),
      size_(size),
      batch_(std::max<size_t>(batch, 1)) {
  assert(size % 4 == 0 && size <= 0x1000);
}

FunctionSpace FunctionStarts::Take(size_t index) {
  assert(index < locations_.size());
  if (index < first_ || index - first_ >= run_.size()) {
    run_ = ReadRunFrom(index);
    first_ = index;
  }
  return std::move(run_[index - first_]);
}

std::vector<FunctionSpace> FunctionStarts::ReadRunFrom(size_t index) const {
  std::vector<FunctionSpace> run;
  const size_t count = std::min(batch_, locations_.size() - index);
  if (access_.ReadPciConfigSpaceBatchEx == nullptr) {
    for (size_t i = index; i < index + count; ++i) {
      run.push_back(ReadFunctionStart(access_, locations_[i], size_));
    }
    return run;
  }
  std::vector<uint8_t> bytes(count * size_);
  std::vector<uint32_t> stored(count);
  access_.ReadPciConfigSpaceBatchEx(&locations_[index], static_cast<uint32_t>(count), size_,
                                    bytes.data(), stored.data());
  // Functions read before the helper failed are whole; it fails those after.
  const std::optional<FailureCause> fault = HelperFault(access_);
  for (size_t i = 0; i < count; ++i) {
    const auto start = bytes.begin() + static_cast<std::ptrdiff_t>(i * size_);
    FunctionSpace space;
    space.bytes.assign(start, start + (stored[i] <= size_ ? stored[i] : 0));
    Judge(space, size_, space.bytes.empty() ? fault : std::nullopt);
    run.push_back(std::move(space));
  }
  return run;
}

FailureCause DiagnoseFailure(const hw::HardwareAccess& access, const RegisterTarget& target,
                             bool write, uint32_t* space_size) {
  if (const auto fault = HelperFault(access)) return *fault;
  // 3: the helper refused the last write for want of its record.
  if (write && access.GetAccessStateEx != nullptr && access.GetAccessStateEx() == 3) {
    return FailureCause::kUnrecorded;
  }
  namespace header = config_space::header;
  uint16_t vendor = 0;
  if (access.ReadPciConfigWordEx(target.location, header::kVendorId, &vendor) == 0) {
    return FailureCause::kNoFunction;
  }
  if (target.offset >= 0x1000) {
    *space_size = 0x1000;
    return FailureCause::kBeyondSpace;
  }
  uint32_t dword = 0;
  const bool past_header =
      access.ReadPciConfigDwordEx(target.location, header::kHeaderEnd, &dword) != 0;
  if (past_header && target.offset >= 0x100 &&
      access.ReadPciConfigDwordEx(target.location, 0x100, &dword) == 0) {
    *space_size = 0x100;
    return FailureCause::kBeyondSpace;
  }
  if (!past_header && (write || target.offset >= header::kHeaderEnd)) {
    return FailureCause::kNeedsRoot;
  }
  return FailureCause::kRefused;
}

}  // namespace qbus::regs
