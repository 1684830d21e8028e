#include "access/sim/dump_parser.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string_view>

namespace qbus::access::sim {
namespace {

bool IsHex(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

// True when `line` starts with `pattern`, where '#' stands for any hex digit.
bool MatchesPrefix(std::string_view line, std::string_view pattern) {
  if (line.size() < pattern.size()) return false;
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '#' ? !IsHex(line[i]) : pattern[i] != line[i]) return false;
  }
  return true;
}

uint32_t HexValue(std::string_view digits) {
  uint32_t value = 0;
  for (char c : digits) {
    const int lower = std::tolower(static_cast<unsigned char>(c));
    value = value * 16 + static_cast<uint32_t>(lower <= '9' ? lower - '0' : lower - 'a' + 10);
  }
  return value;
}

std::string HexDigits(uint32_t value) {
  char digits[9];
  std::snprintf(digits, sizeof digits, "%X", value);
  return digits;
}

struct Header {
  uint32_t domain, bus, device, function;
};

// A function header: "BB:DD.F " with an optional 4- or 5-digit domain in front.
bool ParseHeader(std::string_view line, Header* header) {
  size_t domain_digits = 0;
  if (MatchesPrefix(line, "####:##:##.# ")) domain_digits = 4;
  if (MatchesPrefix(line, "#####:##:##.# ")) domain_digits = 5;
  if (domain_digits == 0 && !MatchesPrefix(line, "##:##.# ")) return false;
  const std::string_view rest = line.substr(domain_digits == 0 ? 0 : domain_digits + 1);
  if (!std::isdigit(static_cast<unsigned char>(rest[6]))) return false;  // the function is decimal
  header->domain = HexValue(line.substr(0, domain_digits));
  header->bus = HexValue(rest.substr(0, 2));
  header->device = HexValue(rest.substr(3, 2));
  header->function = static_cast<uint32_t>(rest[6] - '0');
  return true;
}

// The offset of a hex line "OFFSET: " (2 to 8 digits), or -1.
int64_t HexLineOffset(std::string_view line) {
  size_t digits = 0;
  while (digits < line.size() && IsHex(line[digits])) ++digits;
  if (digits < 2 || digits > 8 || line.substr(digits, 2) != ": ") return -1;
  return HexValue(line.substr(0, digits));
}

std::string Where(const std::string& name, int line_number) {
  return name + ":" + std::to_string(line_number) + ": ";
}

ParsedDump Failure(std::string message) { return {{}, std::move(message)}; }

}  // namespace

ParsedDump ParseDump(std::istream& in, const std::string& name) {
  ParsedDump result;
  FunctionImage scratch;  // takes the bytes of functions outside domain 0
  FunctionImage* current = nullptr;
  std::string line;
  int line_number = 0;
  while (std::getline(in, line)) {
    ++line_number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    Header header;
    if (ParseHeader(line, &header)) {
      scratch = {};
      current = &scratch;
      if (header.domain != 0) continue;
      if (header.device > 31) {
        return Failure(Where(name, line_number) + "device 0x" + HexDigits(header.device) +
                       " above 0x1F");
      }
      if (header.function > 7) {
        return Failure(Where(name, line_number) + "function " + std::to_string(header.function) +
                       " above 7");
      }
      const uint32_t location = header.bus << 8 | header.device << 3 | header.function;
      auto [it, fresh] = result.functions.try_emplace(location);
      if (!fresh) return Failure(Where(name, line_number) + "function given twice");
      current = &it->second;
      current->bytes.assign(256, 0xFF);
      current->held.assign(256, false);
      continue;
    }
    if (line.empty()) {
      current = nullptr;
      continue;
    }
    const int64_t start = current == nullptr ? -1 : HexLineOffset(line);
    if (start < 0) continue;  // verbose or other text

    size_t pos = line.find(' ') + 1;
    uint32_t offset = static_cast<uint32_t>(start);
    while (pos + 1 < line.size() && IsHex(line[pos]) && IsHex(line[pos + 1]) &&
           (pos + 2 == line.size() || line[pos + 2] == ' ')) {
      if (offset >= 4096) return Failure(Where(name, line_number) + "offset beyond 4096 bytes");
      if (offset >= current->bytes.size()) {
        current->bytes.resize(4096, 0xFF);
        current->held.resize(4096, false);
      }
      current->bytes[offset] =
          static_cast<uint8_t>(HexValue(std::string_view(line).substr(pos, 2)));
      current->held[offset] = true;
      ++offset;
      pos += 3;
    }
    // Trailing blanks are common in pasted dumps; anything else is not a dump line.
    if (line.find_first_not_of(" \t", std::min(pos, line.size())) != std::string::npos) {
      return Failure(Where(name, line_number) + "malformed line");
    }
  }
  if (result.functions.empty()) result.error = name + ": no PCI function of domain 0";
  return result;
}

}  // namespace qbus::access::sim
