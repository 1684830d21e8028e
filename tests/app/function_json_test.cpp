// SPDX-License-Identifier: GPL-3.0-or-later
// The JSON copy of a decoded function, read back by Qt's parser. 01:00.0 of
// tests/dumps/express.dump has values that tell decimal from hex (Link Status 0x1101, a link width
// of 16 = 0x10), a field one bit off from the right one (L1 Exit Latency across a byte boundary),
// and a 32-bit value from a signed one (BAR0 0xF6000000).
#include "config_space/function_json.h"

#include <array>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "config_space/dump_file.h"
#include "config_space/function_tree.h"

namespace qbus::config_space::json_test {
namespace {

constexpr char kDescription[] = "VGA compatible controller: graphics card";

const FunctionImage& ExpressCard() {
  static const ParsedDump dump = LoadDumpFile(QBUS_TEST_DUMPS "/express.dump");
  return dump.functions.at(0x0100);
}

std::string ExpressJson(const std::string& description = kDescription, uint32_t location = 0x0100,
                        uint32_t domain = 0) {
  const std::vector<uint8_t>& bytes = ExpressCard().bytes;
  return FormatFunctionJson(location, description, bytes, DecodeFunction(bytes), domain);
}

// The document's object; the test fails on any parse error.
QJsonObject Parse(const std::string& json) {
  QJsonParseError error;
  const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(json), &error);
  EXPECT_EQ(error.error, QJsonParseError::NoError)
      << error.errorString().toStdString() << " at " << error.offset;
  return document.object();
}

std::string Text(const QJsonValue& value) { return value.toString().toStdString(); }

// The first element of `array` with this name; an empty object when there is none.
QJsonObject Named(const QJsonValue& array, const char* name) {
  for (const QJsonValue& item : array.toArray()) {
    if (Text(item[QStringLiteral("name")]) == name) return item.toObject();
  }
  ADD_FAILURE() << "no " << name;
  return {};
}

QJsonObject RegisterOf(const QJsonObject& document, const char* block, const char* name) {
  return Named(Named(document["blocks"], block)["registers"], name);
}

TEST(FunctionJson, NamesTheFunction) {
  struct Row {
    const char* name;
    uint32_t location, domain;
    const char* text;
    int bus, device, function;
  };
  constexpr std::array kRows{
      Row{"domain 0 still written", 0x0100, 0, "0000:01:00.0", 1, 0, 0},
      Row{"hex in the text, decimal in the numbers", 0x12E4, 0x1A, "001a:12:1c.4", 18, 28, 4},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.name);
    const QJsonObject document = Parse(ExpressJson(kDescription, row.location, row.domain));
    EXPECT_EQ(Text(document["format"]), "quoril-bus-function");
    EXPECT_EQ(document["version"].toInteger(), 1);
    const QJsonValue location = document["location"];
    EXPECT_EQ(Text(location["text"]), row.text);
    EXPECT_EQ(location["domain"].toInteger(-1), row.domain);
    EXPECT_EQ(location["bus"].toInteger(-1), row.bus);
    EXPECT_EQ(location["device"].toInteger(-1), row.device);
    EXPECT_EQ(location["function"].toInteger(-1), row.function);
  }
}

TEST(FunctionJson, HoldsEveryByteInLowerCaseHexFromOffsetZero) {
  const QJsonObject document = Parse(ExpressJson());
  EXPECT_EQ(document["size"].toInteger(), 4096);
  const std::string bytes = Text(document["bytes"]);
  ASSERT_EQ(bytes.size(), 8192u);
  EXPECT_EQ(bytes.substr(0, 16), "de10441207001000");
  EXPECT_EQ(bytes.substr(2 * 0x8A, 4), "0111");  // Link Status, low byte first
  EXPECT_EQ(bytes.substr(2 * 0x10C, 8), "30200600");
  EXPECT_EQ(bytes.substr(2 * 0xFFF), "ff");  // past the dump's last line
}

TEST(FunctionJson, GivesEachRegisterAsNumberAndHexText) {
  struct Row {
    const char* block;
    const char* name;
    int offset, size;
    qint64 value;
    const char* hex;
    const char* access;
    const char* meaning;
    const char* summary;
  };
  constexpr std::array kRows{
      Row{"PCI Express", "Link Status", 138, 2, 4353, "0x1101", "", "",
          "Current Link Speed 2.5 GT/s, Negotiated Link Width x16, Slot Clock Configuration"},
      Row{"PCI Express", "Capability ID", 120, 1, 16, "0x10", "read-only", "PCI Express", ""},
      Row{"Header", "BAR0", 16, 4, 4127195136, "0xF6000000", "", "",
          "Memory type 32-bit, Base address 0xF6000000"},
      Row{"Header", "Cache Line Size", 12, 1, 0, "0x00", "read-write", "0 bytes", ""},
  };
  const QJsonObject document = Parse(ExpressJson());
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.name);
    const QJsonObject reg = RegisterOf(document, row.block, row.name);
    EXPECT_EQ(reg["offset"].toInteger(-1), row.offset);
    EXPECT_EQ(reg["size"].toInteger(-1), row.size);
    EXPECT_EQ(reg["value"].toInteger(-1), row.value);
    EXPECT_EQ(Text(reg["value_hex"]), row.hex);
    EXPECT_EQ(Text(reg["access"]), row.access);
    EXPECT_EQ(Text(reg["meaning"]), row.meaning);
    EXPECT_EQ(Text(reg["summary"]), row.summary);
  }
}

TEST(FunctionJson, GivesEachFieldItsBitsAndShiftedValue) {
  struct Row {
    const char* block;
    const char* reg;
    const char* name;
    int low, high;
    const char* access;
    qint64 value;
    const char* meaning;
  };
  constexpr std::array kRows{
      Row{"PCI Express", "Link Status", "Negotiated Link Width", 4, 9, "read-only", 16, "x16"},
      Row{"PCI Express", "Link Status", "Slot Clock Configuration", 12, 12, "read-only", 1, ""},
      Row{"PCI Express", "Link Status", "Link Bandwidth Management Status", 14, 14,
          "write 1 to clear", 0, ""},
      Row{"PCI Express", "Link Capabilities", "L1 Exit Latency", 15, 17, "read-only", 2, "<4 us"},
      Row{"Header", "BAR0", "Base address", 4, 31, "read-write", 257949696, "0xF6000000"},
  };
  const QJsonObject document = Parse(ExpressJson());
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.name);
    const QJsonObject field = Named(RegisterOf(document, row.block, row.reg)["fields"], row.name);
    EXPECT_EQ(field["bits"]["low"].toInteger(-1), row.low);
    EXPECT_EQ(field["bits"]["high"].toInteger(-1), row.high);
    EXPECT_EQ(Text(field["access"]), row.access);
    EXPECT_EQ(field["value"].toInteger(-1), row.value);
    EXPECT_EQ(Text(field["meaning"]), row.meaning);
  }
}

TEST(FunctionJson, EscapesTheDescription) {
  struct Row {
    const char* name;
    std::string description;
    std::string written;  // as the document holds it, quotes included
    std::string read;     // as a JSON reader gives it back
  };
  const std::array kRows{
      Row{"quote and backslash", R"(say "hi" \ bye)", R"("say \"hi\" \\ bye")",
          R"(say "hi" \ bye)"},
      Row{"control characters",
          "a\x01"
          "b\nc\x1f",
          R"("a\u0001b\u000ac\u001f")",
          "a\x01"
          "b\nc\x1f"},
      Row{"UTF-8 of two, three and four bytes", "Ger\xC3\xA4t \xE2\x82\xAC \xF0\x9F\x98\x80",
          "\"Ger\xC3\xA4t \xE2\x82\xAC \xF0\x9F\x98\x80\"",
          "Ger\xC3\xA4t \xE2\x82\xAC \xF0\x9F\x98\x80"},
      Row{"stray byte and overlong slash",
          "a\xFF"
          "b\xC0\xAF",
          R"("a\ufffdb\ufffd\ufffd")",
          "a\xEF\xBF\xBD"
          "b\xEF\xBF\xBD\xEF\xBF\xBD"},
      Row{"surrogate and cut sequence", "\xED\xA0\x80z\xE2\x82",
          R"("\ufffd\ufffd\ufffdz\ufffd\ufffd")",
          "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBDz\xEF\xBF\xBD\xEF\xBF\xBD"},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.name);
    const std::string json = ExpressJson(row.description);
    EXPECT_NE(json.find("\n  \"description\": " + row.written + ",\n"), std::string::npos);
    EXPECT_EQ(Parse(json)["description"].toString().toStdString(), row.read);
  }
}

// Every block, register and field of the tree once, in its order, on every function of the dumps.
TEST(FunctionJson, HoldsEachLineOfTheTreeOnce) {
  using Names = std::vector<std::pair<std::string, qint64>>;  // name and offset, or low bit
  for (const char* dump : {"express.dump", "hierarchy.dump", "messy.dump", "names.dump"}) {
    const ParsedDump parsed = LoadDumpFile(QBUS_TEST_DUMPS "/" + std::string(dump));
    ASSERT_EQ(parsed.error, "");
    for (const auto& [location, image] : parsed.functions) {
      SCOPED_TRACE(std::string(dump) + " " + std::to_string(location));
      const std::vector<DecodedLine> tree = DecodeFunction(image.bytes);
      Names expected;
      for (const DecodedLine& line : tree) {
        expected.emplace_back(line.name, line.depth == 2 ? line.low : line.offset);
      }
      const QJsonObject document = Parse(FormatFunctionJson(location, "", image.bytes, tree));
      Names written;
      for (const QJsonValue block : document["blocks"].toArray()) {
        written.emplace_back(Text(block["name"]), block["offset"].toInteger(-1));
        for (const QJsonValue reg : block["registers"].toArray()) {
          written.emplace_back(Text(reg["name"]), reg["offset"].toInteger(-1));
          for (const QJsonValue field : reg["fields"].toArray()) {
            written.emplace_back(Text(field["name"]), field["bits"]["low"].toInteger(-1));
          }
        }
      }
      EXPECT_EQ(written, expected);
    }
  }
}

}  // namespace
}  // namespace qbus::config_space::json_test
