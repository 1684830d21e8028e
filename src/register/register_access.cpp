#include "register/register_access.h"

namespace qbus::regs {

void ReadRegister(const hw::HardwareAccess& access, const RegisterTarget& target, uint32_t* value) {
  switch (target.width) {
    case AccessWidth::kDWord:
      access.ReadPciConfigDwordEx(target.location, target.offset, value);
      break;
    case AccessWidth::kWord: {
      auto word = static_cast<uint16_t>(*value);
      access.ReadPciConfigWordEx(target.location, target.offset, &word);
      *value = word;
      break;
    }
    case AccessWidth::kByte: {
      auto byte = static_cast<uint8_t>(*value);
      access.ReadPciConfigByteEx(target.location, target.offset, &byte);
      *value = byte;
      break;
    }
  }
}

void WriteRegister(const hw::HardwareAccess& access, const RegisterTarget& target, uint32_t value) {
  switch (target.width) {
    case AccessWidth::kDWord:
      access.WritePciConfigDwordEx(target.location, target.offset, value);
      break;
    case AccessWidth::kWord:
      access.WritePciConfigWordEx(target.location, target.offset, static_cast<uint16_t>(value));
      break;
    case AccessWidth::kByte:
      access.WritePciConfigByteEx(target.location, target.offset, static_cast<uint8_t>(value));
      break;
  }
}

}  // namespace qbus::regs
