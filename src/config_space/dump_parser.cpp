// SPDX-License-Identifier: GPL-3.0-or-later
#include "config_space/dump_parser.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "access/common/pci_location.h"

namespace qbus::config_space {
namespace {

// The value of each hex digit, 16 for any other character.
constexpr std::array<uint8_t, 256> kHexValues = [] {
  std::array<uint8_t, 256> values{};
  values.fill(16);
  for (int c = '0'; c <= '9'; ++c) values[c] = static_cast<uint8_t>(c - '0');
  for (int c = 'a'; c <= 'f'; ++c)
    values[c] = values[c - 'a' + 'A'] = static_cast<uint8_t>(c - 'a' + 10);
  return values;
}();

uint8_t Digit(char c) { return kHexValues[static_cast<unsigned char>(c)]; }
bool IsHex(char c) { return Digit(c) < 16; }
bool IsDecimal(char c) { return c >= '0' && c <= '9'; }

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
  for (char c : digits) value = value * 16 + Digit(c);
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

// The sixteen bytes a full line gives, "XX XX ... XX" at `digits`, ended by the line's end or a
// blank; false for anything else. The digits and blanks are checked together, so the usual line
// costs no branch a byte.
bool DecodeSixteen(std::string_view digits, uint8_t* out) {
  constexpr size_t kLength = 16 * 3 - 1;
  if (digits.size() < kLength || (digits.size() > kLength && digits[kLength] != ' ')) return false;
  unsigned bad = 0;
  for (size_t i = 0; i < 16; ++i) {
    const uint8_t high = Digit(digits[3 * i]);
    const uint8_t low = Digit(digits[3 * i + 1]);
    bad |= (high | low) & 0x10;
    if (i < 15) bad |= static_cast<unsigned char>(digits[3 * i + 2]) ^ ' ';
    out[i] = static_cast<uint8_t>(high << 4 | low);
  }
  return bad == 0;
}

// A function header: "BB:DD.F " with an optional 4- or 5-digit domain in front.
bool ParseHeader(std::string_view line, Header* header) {
  size_t domain_digits = 0;
  if (MatchesPrefix(line, "####:##:##.# ")) domain_digits = 4;
  if (MatchesPrefix(line, "#####:##:##.# ")) domain_digits = 5;
  if (domain_digits == 0 && !MatchesPrefix(line, "##:##.# ")) return false;
  const std::string_view rest = line.substr(domain_digits == 0 ? 0 : domain_digits + 1);
  if (!IsDecimal(rest[6])) return false;  // the function is decimal
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

}  // namespace

DumpParser::DumpParser(std::string name, uint32_t domain, size_t max_line_bytes)
    : name_(std::move(name)), domain_(domain), max_line_bytes_(max_line_bytes) {}

bool DumpParser::Refuse(const std::string& reason) {
  result_.error = name_ + ":" + std::to_string(line_number_) + ": " + reason;
  result_.functions.clear();
  return false;
}

bool DumpParser::TakeLine(std::string_view line) {
  if (!result_.error.empty()) return false;
  ++line_number_;
  if (line.size() > max_line_bytes_) {
    return Refuse("longer than the " + std::to_string(max_line_bytes_) +
                  " bytes a dump line may have");
  }
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  // Most lines are "XX: ..." inside a function; a blank after the colon rules out a header.
  if (current_ != nullptr && line.size() > 3 && line[2] == ':' && line[3] == ' ' &&
      IsHex(line[0]) && IsHex(line[1])) {
    return TakeHexLine(line, HexValue(line.substr(0, 2)));
  }
  Header header;
  if (ParseHeader(line, &header)) {
    scratch_ = {};
    current_ = &scratch_;
    domains_seen_.insert(header.domain);
    if (header.domain != domain_) return true;
    if (header.device > 31) return Refuse("device 0x" + HexDigits(header.device) + " above 0x1F");
    if (header.function > 7) {
      return Refuse("function " + std::to_string(header.function) + " above 7");
    }
    const uint32_t location = PciLocation{header.bus, header.device, header.function}.Packed();
    // Dumps list functions in order, so the end is the usual place of a new one.
    const size_t before = result_.functions.size();
    const auto it = result_.functions.try_emplace(result_.functions.end(), location);
    if (result_.functions.size() == before) return Refuse("function given twice");
    current_ = &it->second;
    current_->bytes.assign(256, 0xFF);
    current_->held.assign(256, false);
    return true;
  }
  if (line.empty()) {
    current_ = nullptr;
    return true;
  }
  const int64_t start = current_ == nullptr ? -1 : HexLineOffset(line);
  if (start < 0) return true;  // verbose or other text
  return TakeHexLine(line, static_cast<uint32_t>(start));
}

// The bytes after "OFFSET: ", each two hex digits followed by a blank or the line's end.
bool DumpParser::TakeHexLine(std::string_view line, uint32_t offset) {
  size_t pos = line.find(' ') + 1;
  const size_t size = line.size();
  const uint32_t first = offset;
  uint8_t sixteen[16];
  // In 64 bits: an offset of eight digits near 2^32 must not wrap round into the function.
  if (uint64_t{offset} + 16 <= current_->bytes.size() && DecodeSixteen(line.substr(pos), sixteen)) {
    std::copy(sixteen, sixteen + 16, current_->bytes.begin() + offset);
    offset += 16;
    pos += 16 * 3;
  }
  while (pos + 1 < size && IsHex(line[pos]) && IsHex(line[pos + 1]) &&
         (pos + 2 == size || line[pos + 2] == ' ')) {
    if (offset >= 4096) return Refuse("offset beyond 4096 bytes");
    if (offset >= current_->bytes.size()) {
      current_->bytes.resize(4096, 0xFF);
      current_->held.resize(4096, false);
    }
    current_->bytes[offset] = static_cast<uint8_t>(Digit(line[pos]) << 4 | Digit(line[pos + 1]));
    ++offset;
    pos += 3;
  }
  // One fill marks the line's bytes: it sets whole words where a bit at a time would not. A line
  // that gives no byte may name an offset past the function, which no iterator may point to.
  if (offset > first) {
    std::fill(current_->held.begin() + first, current_->held.begin() + offset, true);
  }
  // Trailing blanks are common in pasted dumps; anything else is not a dump line.
  for (size_t i = pos < size ? pos : size; i < size; ++i) {
    if (line[i] != ' ' && line[i] != '\t') return Refuse("malformed line");
  }
  return true;
}

ParsedDump DumpParser::Finish() {
  if (result_.error.empty() && result_.functions.empty()) {
    std::string held;
    for (uint32_t domain : domains_seen_) held += (held.empty() ? "" : ", ") + HexDigits(domain);
    result_.error = name_ + ": no PCI function of domain " + HexDigits(domain_) +
                    (held.empty() ? "" : " (the dump holds domain " + held + ")");
  }
  current_ = nullptr;
  return std::move(result_);
}

ParsedDump ParseDump(std::string_view text, const std::string& name, uint32_t domain) {
  DumpParser parser(name, domain);
  while (!text.empty()) {
    const size_t end = text.find('\n');
    if (!parser.TakeLine(text.substr(0, end))) break;
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
  return parser.Finish();
}

}  // namespace qbus::config_space
