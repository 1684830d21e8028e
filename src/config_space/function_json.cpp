// SPDX-License-Identifier: GPL-3.0-or-later
#include "config_space/function_json.h"

#include <cassert>
#include <charconv>
#include <cstdio>
#include <string_view>
#include <vector>

#include "access/common/pci_location.h"
#include "config_space/function_dump.h"

namespace qbus::config_space {
namespace {

// The length of the well-formed UTF-8 sequence that `text` starts with; 0 when it starts with
// none (a stray continuation byte, an overlong form, a surrogate, a cut sequence).
size_t Utf8Length(std::string_view text) {
  const auto byte = [text](size_t i) { return static_cast<uint8_t>(text[i]); };
  const uint8_t lead = byte(0);
  if (lead < 0x80) return 1;
  size_t length = 0;
  uint8_t second_low = 0x80, second_high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) second_low = 0xA0;
    if (lead == 0xED) second_high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) second_low = 0x90;
    if (lead == 0xF4) second_high = 0x8F;
  } else {
    return 0;
  }
  if (text.size() < length || byte(1) < second_low || byte(1) > second_high) return 0;
  for (size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  }
  return length;
}

std::string Quoted(std::string_view text) {
  std::string quoted = "\"";
  while (!text.empty()) {
    const size_t length = Utf8Length(text);
    const auto first = static_cast<uint8_t>(text[0]);
    if (length == 0) {
      quoted += "\\ufffd";
    } else if (first == '"' || first == '\\') {
      quoted += '\\';
      quoted += text[0];
    } else if (first < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", first);
      quoted += escape;
    } else {
      quoted += text.substr(0, length);
    }
    text.remove_prefix(length == 0 ? 1 : length);
  }
  return quoted + "\"";
}

std::string Number(uint64_t value) { return std::to_string(value); }
std::string Number(int value) { return std::to_string(value); }

std::string HexBytes(std::span<const uint8_t> bytes) {
  constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (const uint8_t byte : bytes) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 0xF];
  }
  return hex;
}

// `items` as a JSON array, an item a line `indent` spaces in, the closing bracket two less.
std::string Array(const std::vector<std::string>& items, int indent) {
  if (items.empty()) return "[]";
  std::string array = "[";
  for (size_t i = 0; i < items.size(); ++i) {
    array += (i == 0 ? "\n" : ",\n") + std::string(indent, ' ') + items[i];
  }
  return array + "\n" + std::string(indent - 2, ' ') + "]";
}

// Where the children of the line at `at` end: at the next line of its depth or less.
size_t EndOf(std::span<const DecodedLine> tree, size_t at) {
  size_t end = at + 1;
  while (end < tree.size() && tree[end].depth > tree[at].depth) ++end;
  return end;
}

// The value a register's line shows ("0x1101"): the tree's own, so number and text agree.
uint32_t RegisterValue(const DecodedLine& line) {
  assert(line.value.size() > 2 && line.value.starts_with("0x"));
  uint32_t value = 0;
  const char* end = line.value.data() + line.value.size();
  [[maybe_unused]] const std::from_chars_result parsed =
      std::from_chars(line.value.data() + 2, end, value, 16);
  assert(parsed.ec == std::errc{} && parsed.ptr == end);
  return value;
}

std::string Field(const DecodedLine& field, uint32_t register_value) {
  assert(field.low >= 0 && field.high >= field.low && field.high < 32);
  const int bits = field.high - field.low + 1;
  const uint32_t mask = bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
  const uint32_t value = (register_value >> field.low) & mask;
  return "{\"name\": " + Quoted(field.name) + ", \"bits\": {\"low\": " + Number(field.low) +
         ", \"high\": " + Number(field.high) + "}, \"access\": " + Quoted(field.access) +
         ", \"value\": " + Number(uint64_t{value}) + ", \"meaning\": " + Quoted(field.meaning) +
         "}";
}

std::string Register(std::span<const DecodedLine> tree, size_t at) {
  const DecodedLine& line = tree[at];
  const uint32_t value = RegisterValue(line);
  std::vector<std::string> fields;
  for (size_t field = at + 1; field < EndOf(tree, at); ++field) {
    fields.push_back(Field(tree[field], value));
  }
  return "{\"name\": " + Quoted(line.name) + ", \"offset\": " + Number(uint64_t{line.offset}) +
         ", \"size\": " + Number(line.size) + ", \"value\": " + Number(uint64_t{value}) +
         ", \"value_hex\": " + Quoted(line.value) + ", \"access\": " + Quoted(line.access) +
         ", \"meaning\": " + Quoted(line.meaning) + ", \"summary\": " + Quoted(line.summary) +
         ", \"fields\": " + Array(fields, 8) + "}";
}

std::string Block(std::span<const DecodedLine> tree, size_t at) {
  std::vector<std::string> registers;
  for (size_t reg = at + 1; reg < EndOf(tree, at); reg = EndOf(tree, reg)) {
    registers.push_back(Register(tree, reg));
  }
  return "{\"name\": " + Quoted(tree[at].name) +
         ", \"offset\": " + Number(uint64_t{tree[at].offset}) +
         ", \"registers\": " + Array(registers, 6) + "}";
}

}  // namespace

std::string FormatFunctionJson(uint32_t location, const std::string& description,
                               std::span<const uint8_t> bytes, std::span<const DecodedLine> tree,
                               uint32_t domain) {
  const PciLocation place = PciLocation::Unpack(location);
  // The domain always shows, so that the text alone names the function.
  const std::string text =
      domain == 0 ? "0000:" + LocationText(location) : LocationText(location, domain);
  std::vector<std::string> blocks;
  for (size_t block = 0; block < tree.size(); block = EndOf(tree, block)) {
    blocks.push_back(Block(tree, block));
  }
  return "{\n  \"format\": \"quoril-bus-function\",\n  \"version\": 1,\n  \"location\": "
         "{\"text\": " +
         Quoted(text) + ", \"domain\": " + Number(uint64_t{domain}) +
         ", \"bus\": " + Number(uint64_t{place.bus}) +
         ", \"device\": " + Number(uint64_t{place.device}) +
         ", \"function\": " + Number(uint64_t{place.function}) +
         "},\n  \"description\": " + Quoted(description) +
         ",\n  \"size\": " + Number(uint64_t{bytes.size()}) + ",\n  \"bytes\": \"" +
         HexBytes(bytes) + "\",\n  \"blocks\": " + Array(blocks, 4) + "\n}\n";
}

}  // namespace qbus::config_space
