// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds the elevated library's core arbitrary bytes as everything its helper sends (the
// announcement, then the replies), and makes the calls a window makes. Nothing may crash, a
// whole-function read may give only an honest size, and once the stream cannot be trusted the
// core must say so and send nothing more.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

#include "access/elevated/core.h"

namespace {

namespace elevated = qbus::access::elevated;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 65536) return 0;  // what one socket buffer holds without a reader
  int ends[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) std::abort();
  const int buffer = 1 << 20;
  setsockopt(ends[1], SOL_SOCKET, SO_SNDBUF, &buffer, sizeof buffer);
  setsockopt(ends[0], SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
  if (size > 0 && write(ends[1], data, size) != static_cast<ssize_t>(size)) std::abort();
  shutdown(ends[1], SHUT_WR);  // all the "helper" ever says; its requests pile up unread
  {
    elevated::Core core({ends[0], -1}, 10);
    if (core.Init()) {
      std::vector<uint8_t> space(4096);
      for (uint32_t location = 0; location < 0x10000; location += 0x00FF) {
        const uint32_t space_size = core.SpaceSize(location);
        if (space_size == 0) continue;
        core.ReadConfig(location, 0, 4);
        core.WriteConfig(location, 0x40, 2, 0xBEEF);
        const uint32_t got = core.ReadSpace(location, space.data(), 4096);
        if (got != 0 && got != 64 && got != space_size) std::abort();
        if (core.state() != elevated::HelperState::kServing &&
            (core.ReadConfig(location, 0, 4) || core.ReadSpace(location, space.data(), 4096))) {
          std::abort();  // answered after the stream broke
        }
      }
    }
  }
  close(ends[1]);
  return 0;
}
