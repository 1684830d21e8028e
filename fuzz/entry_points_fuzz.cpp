// SPDX-License-Identifier: GPL-3.0-or-later
// Drives the simulated library's ten entry points with call sequences decoded from the input:
// each call is one byte choosing the entry point and up to eight bytes of arguments. Nothing may
// crash, and every failed read must store all-ones.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "access/common/entry_points.h"

namespace {

class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool Empty() const { return size_ == 0; }
  uint32_t Take(size_t bytes) {
    uint32_t value = 0;
    for (size_t i = 0; i < bytes && size_ > 0; ++i, ++data_, --size_) value = value << 8 | *data_;
    return value;
  }

 private:
  const uint8_t* data_;
  size_t size_;
};

// Offsets near the edges that matter, or any.
uint32_t Offset(Input& in) {
  const uint32_t raw = in.Take(2);
  return raw & 0x8000 ? raw & 0x1FFF : raw;
}

template <typename T>
void ExpectAllOnesOnFailure(uint32_t result, T value) {
  if (result == 0 && value != static_cast<T>(~T{0})) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in(data, size);
  InitializeOls();
  while (!in.Empty()) {
    const uint32_t choice = in.Take(1) % 12;
    const uint32_t location = in.Take(1) % 4 == 0 ? in.Take(4) : in.Take(2);
    uint32_t dword = 0;
    uint16_t word = 0;
    uint8_t byte = 0;
    switch (choice) {
      case 0:
        DeinitializeOls();
        break;
      case 1:
        InitializeOls();
        break;
      case 2:
        ExpectAllOnesOnFailure(ReadIoPortDwordEx(location, &dword), dword);
        break;
      case 3:
        WriteIoPortDwordEx(in.Take(1) & 1 ? 0xCF8 : location, in.Take(4));
        break;
      case 4:
        ExpectAllOnesOnFailure(ReadPciConfigDwordEx(location, Offset(in), &dword), dword);
        break;
      case 5:
        WritePciConfigDwordEx(location, Offset(in), in.Take(4));
        break;
      case 6:
        ExpectAllOnesOnFailure(ReadPciConfigWordEx(location, Offset(in), &word), word);
        break;
      case 7:
        WritePciConfigWordEx(location, Offset(in), static_cast<uint16_t>(in.Take(2)));
        break;
      case 8:
        ExpectAllOnesOnFailure(ReadPciConfigByteEx(location, Offset(in), &byte), byte);
        break;
      case 9:
        WritePciConfigByteEx(location, Offset(in), static_cast<uint8_t>(in.Take(1)));
        break;
      case 10:
        if (ReadPciConfigDwordEx(location, Offset(in), nullptr) != 0) std::abort();
        break;
      default:
        ReadIoPortDwordEx(0xCFC, &dword);
        break;
    }
  }
  DeinitializeOls();
  return 0;
}
