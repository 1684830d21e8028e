#pragma once

#include <cstdint>
#include <string>

// Reads a dump file named by the environment, which may name anything: only a regular file of
// at most kMaxDumpBytes is read, and opening never blocks (a FIFO or a device is refused, not
// waited on).
namespace qbus::access::sim {

// Large enough for 65,536 functions of 4 KiB each as `lspci -xxxx` prints them (about 900 MB).
constexpr uint64_t kMaxDumpBytes = uint64_t{1} << 30;

struct DumpFile {
  std::string text;
  std::string error;  // empty on success; otherwise one line naming the file and the reason
};

DumpFile ReadDumpFile(const std::string& path);

}  // namespace qbus::access::sim
