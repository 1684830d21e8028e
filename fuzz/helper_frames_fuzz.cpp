// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds the root helper's session arbitrary bytes as its input stream, over a backend that
// stands for the hardware and aborts on any access the helper should have refused. Nothing may
// crash, every request must get one reply (until the session ends), and no stray access may
// reach the backend.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <sys/mman.h>
#include <unistd.h>

#include "access/common/helper_server.h"

namespace {

namespace helper = qbus::access::helper;

// Two functions: 00:00.0 with 256 bytes and 02:1f.7 with 4096.
struct CheckingBackend {
  uint32_t SpaceSize(uint32_t location) const {
    if (location == 0x0000) return 256;
    if (location == 0x02FF) return 4096;
    return 0;
  }
  void Check(uint32_t location, uint32_t offset, uint32_t width) const {
    const uint32_t size = SpaceSize(location);
    if (size == 0 || !qbus::access::ConfigAccessValid(offset, width, size)) std::abort();
  }
  std::optional<uint32_t> ReadConfig(uint32_t location, uint32_t offset, uint32_t width) {
    Check(location, offset, width);
    // Never 4096 or less, so that only the reply of a read of a space carries such a value.
    return offset & 1 ? std::nullopt : std::optional<uint32_t>(offset | 0x80000000u);
  }
  bool WriteConfig(uint32_t location, uint32_t offset, uint32_t width, uint32_t value) {
    Check(location, offset, width);
    if (width < 4 && value >> (8 * width) != 0) std::abort();
    return true;
  }
  uint32_t ReadSpace(uint32_t location, uint8_t* bytes, uint32_t capacity) {
    const uint32_t size = SpaceSize(location);
    // Past the space only for a whole read, which may ask for the largest.
    if (size == 0 || capacity == 0 || capacity % 4 != 0 || (capacity > size && capacity != 4096)) {
      std::abort();
    }
    const uint32_t read = capacity < size ? capacity : size;
    for (uint32_t i = 0; i < read; ++i) bytes[i] = static_cast<uint8_t>(i);
    return read;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const int in = memfd_create("requests", 0);
  const int out = memfd_create("replies", 0);
  if (in < 0 || out < 0 || write(in, data, size) != static_cast<ssize_t>(size)) std::abort();
  lseek(in, 0, SEEK_SET);
  CheckingBackend backend;
  size_t writes = 0;
  struct CountingRecord {
    size_t& writes;
    bool operator()(const helper::WriteIntent&) { return true; }
    void operator()(const helper::WriteRecord&) { ++writes; }
  };
  helper::Serve(in, out, true, backend, CountingRecord{writes});
  // The announcement (12 + 2 x 8 bytes), then one reply per request frame read, each followed
  // by the function's bytes when it answered a whole-function read.
  const size_t frames = (size + sizeof(helper::Request) - 1) / sizeof(helper::Request);
  lseek(out, 28, SEEK_SET);
  size_t replies = 0;
  helper::Reply reply;
  while (read(out, &reply, sizeof reply) == sizeof reply) {
    ++replies;
    if (reply.ok > 1) std::abort();
    if (reply.ok == 1 && reply.value != 0 && reply.value <= 4096) {
      lseek(out, reply.value, SEEK_CUR);
    }
  }
  if (replies > frames || writes > replies) std::abort();
  close(in);
  close(out);
  return 0;
}
