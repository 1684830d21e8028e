// SPDX-License-Identifier: GPL-3.0-or-later
// Writes a machine for the benchmarks as `lspci -x` (256 bytes) or `-xxxx` (4096 bytes) prints
// it: the first COUNT functions in bus/device/function order, each answering with its own
// identifiers.
//   quoril-bus-make-dump COUNT BYTES PATH
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  const long count = std::strtol(argv[1], nullptr, 0);
  const long bytes = std::strtol(argv[2], nullptr, 0);
  if (count < 1 || count > 0x10000 || (bytes != 256 && bytes != 4096)) return 2;
  std::FILE* out = std::fopen(argv[3], "w");
  if (out == nullptr) return 1;
  std::string text;
  char piece[16];
  for (long location = 0; location < count; ++location) {
    std::snprintf(piece, sizeof piece, "%02lx:%02lx.%ld ", location >> 8, location >> 3 & 31,
                  location & 7);
    text = piece;
    text += "Device\n";
    for (long offset = 0; offset < bytes; offset += 16) {
      std::snprintf(piece, sizeof piece, bytes == 256 ? "%02lx:" : "%03lx:", offset);
      text += piece;
      for (long i = offset; i < offset + 16; ++i) {
        // Vendor 0x8086, device = location, then a counting pattern.
        const long value = i == 0   ? 0x86
                           : i == 1 ? 0x80
                           : i == 2 ? location & 0xFF
                           : i == 3 ? location >> 8
                                    : i & 0xFF;
        std::snprintf(piece, sizeof piece, " %02lx", value);
        text += piece;
      }
      text += '\n';
    }
    text += '\n';
    std::fputs(text.c_str(), out);
  }
  return std::fclose(out) == 0 ? 0 : 1;
}
