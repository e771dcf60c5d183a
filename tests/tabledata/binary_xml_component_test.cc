#include "tabledata/binary_xml_component.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "support/binary_xml_writer.h"
#include "tabledata/binary_xml_decoder.h"
#include "tabledata/binary_xml_text.h"
#include "tabledata/binary_xml_tokens.h"

namespace portalmend {
namespace {

std::vector<std::uint8_t> SampleDocument() {
  BinaryXmlWriter w;
  w.Element("order").Attribute("id").Le(binxml::kSqlInt, 7, 4).EndAttributes();
  w.Element("item").Text("bolt & nut").EndElement().Comment("two").Element("item").EndElement().EndElement();
  return w.take();
}
const char kSampleText[] = "<order id=\"7\"><item>bolt &amp; nut</item><!--two--><item /></order>";

TEST(XmlTextComponent, ConversionCallChecksItsArguments) {
  const std::vector<std::uint8_t> bytes = SampleDocument();
  const auto size = static_cast<std::int32_t>(bytes.size());
  struct Case {
    const char* name;
    std::int32_t count;
    std::int32_t first;
    std::int32_t second;
    bool give_text;
    XmlResultCode expected;
  };
  const Case cases[] = {
      {"the fixed call", size, 19, 12, true, kXmlOk},
      {"constants swapped", size, 12, 19, true, kXmlInvalidArgument},
      {"other constant", size, 19, 0, true, kXmlInvalidArgument},
      {"negative count", -1, 19, 12, true, kXmlInvalidArgument},
      {"count beyond the array", size + 1, 19, 12, true, kXmlInvalidArgument},
      {"no text", size, 19, 12, false, kXmlInvalidArgument},
      {"count cuts the value", size - 1, 19, 12, true, kXmlInvalidData},
      {"nothing to convert", 0, 19, 12, true, kXmlInvalidData},
  };
  for (const Case& c : cases) {
    CXmlTextComponent component;
    std::string text = "stale";
    const XmlResultCode code =
        component.Convert(ByteReader(bytes), c.count, c.first, c.second, c.give_text ? &text : nullptr);
    EXPECT_EQ(code, c.expected) << c.name;
    if (c.give_text) {
      EXPECT_EQ(text, code == kXmlOk ? kSampleText : "") << c.name;
    }
    EXPECT_EQ(component.failure().empty(), code == kXmlOk) << c.name << ": " << component.failure();
  }
}

TEST(XmlTextComponent, ConvertBytesGivesTextOrNothing) {
  const std::vector<std::uint8_t> bytes = SampleDocument();
  EXPECT_EQ(ConvertXmlBytes(bytes.data(), bytes.size()), kSampleText);
  EXPECT_EQ(ConvertXmlBytes(ByteReader(bytes)), kSampleText);
  EXPECT_EQ(ConvertXmlBytes(bytes.data(), bytes.size() - 1), "");
  EXPECT_EQ(ConvertXmlBytes(nullptr, 10), "");
  const std::vector<std::uint8_t> text_xml = {'<', 0, 'a', 0, '/', 0, '>', 0};
  EXPECT_EQ(ConvertXmlBytes(ByteReader(text_xml)), "");
}

std::vector<XmlPiece> Split(const std::vector<std::uint8_t>& bytes, const std::vector<std::size_t>& cuts) {
  std::vector<XmlPiece> pieces;
  std::size_t from = 0;
  for (std::size_t i = 0; i <= cuts.size(); ++i) {
    const std::size_t to = i < cuts.size() ? cuts[i] : bytes.size();
    XmlPiece piece;
    piece.buffer.assign(bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.begin() + static_cast<std::ptrdiff_t>(to));
    piece.length = static_cast<std::int64_t>(piece.buffer.size());
    pieces.push_back(std::move(piece));
    from = to;
  }
  return pieces;
}

TEST(XmlTextComponent, ConvertPiecesJoinsThemInOrderWhereverTheyAreCut) {
  const std::vector<std::uint8_t> bytes = SampleDocument();
  for (std::size_t cut = 0; cut <= bytes.size(); ++cut) {
    std::vector<XmlPiece> pieces = Split(bytes, {cut});
    EXPECT_EQ(ConvertXmlPieces(pieces), kSampleText) << "cut at " << cut;
    for (const XmlPiece& piece : pieces) EXPECT_TRUE(piece.buffer.empty()) << "buffer kept after the copy";
  }
  std::vector<std::size_t> every_byte;
  for (std::size_t i = 1; i < bytes.size(); ++i) every_byte.push_back(i);
  std::vector<XmlPiece> single_bytes = Split(bytes, every_byte);
  EXPECT_EQ(ConvertXmlPieces(single_bytes), kSampleText);

  std::vector<std::vector<std::uint8_t>> buffers;
  for (XmlPiece& piece : Split(bytes, {3, 20})) buffers.push_back(std::move(piece.buffer));
  EXPECT_EQ(ConvertXmlPieces(buffers), kSampleText);
  for (const auto& buffer : buffers) EXPECT_TRUE(buffer.empty());

  std::vector<XmlPiece> reversed = Split(bytes, {6});
  std::swap(reversed[0], reversed[1]);
  EXPECT_EQ(ConvertXmlPieces(reversed), "");
}

TEST(XmlTextComponent, ConvertPiecesWithoutBytesMakesNoCall) {
  std::vector<XmlPiece> none;
  EXPECT_EQ(ConvertXmlPieces(none), "");

  std::vector<XmlPiece> zero(2);
  EXPECT_EQ(ConvertXmlPieces(zero), "");

  // Negative or oversized lengths count only what the buffer holds.
  const std::vector<std::uint8_t> bytes = SampleDocument();
  std::vector<XmlPiece> odd = Split(bytes, {10});
  odd[0].length = 1 << 20;
  XmlPiece negative;
  negative.length = -5;
  negative.buffer = {0x55, 0x55};
  odd.insert(odd.begin() + 1, std::move(negative));
  EXPECT_EQ(ConvertXmlPieces(odd), kSampleText);
  for (const XmlPiece& piece : odd) EXPECT_TRUE(piece.buffer.empty());

  // A length shorter than its buffer leaves the rest of the buffer out.
  std::vector<XmlPiece> padded = Split(bytes, {});
  padded[0].buffer.push_back(0x55);
  EXPECT_EQ(ConvertXmlPieces(padded), kSampleText);
}

// ---- real SQL Server data ----------------------------------------------------------------------

// SalesLT.ProductModel.CatalogDescription holds typed xml in the AdventureWorksLT fixture, stored
// in the row. The reference script was made by SQL Server's own tools from the same sample.
constexpr char kAdventureWorks[] = "/mdf/jdhj__edx__AdventureWorksLT2012_Data.zip__AdventureWorksLT2012_Data.mdf";
constexpr char kAdventureWorksScript[] = "/reference/AdventureWorksLT2008R2_generated.sql";
constexpr std::size_t kPageSize = 8192;
constexpr std::size_t kSlotCountOffset = 22;

std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The variable-length column of a data record that starts at `value_offset` in `page`: the bytes
// from there to that column's end offset. Nothing when no record column starts there.
std::optional<ByteReader> VariableColumnAt(ByteReader page, std::size_t value_offset) {
  const std::size_t slots = page.u16_or(kSlotCountOffset);
  std::size_t record = 0;
  for (std::size_t slot = 0; slot < slots; ++slot) {
    const std::size_t offset = page.u16_or(kPageSize - 2 - 2 * slot);
    if (offset <= value_offset && offset > record) record = offset;
  }
  const ByteReader r = page.tail(record);
  const std::size_t fixed_end = r.u16_or(2);
  const std::size_t columns = r.u16_or(fixed_end);
  const std::size_t var_count_at = fixed_end + 2 + (columns + 7) / 8;
  const std::size_t var_count = r.u16_or(var_count_at);
  std::size_t start = var_count_at + 2 + 2 * var_count;
  for (std::size_t i = 0; i < var_count; ++i) {
    const std::size_t end = r.u16_or(var_count_at + 2 + 2 * i) & 0x7FFF;
    if (record + start == value_offset && end > start) return r.sub(start, end - start);
    start = end;
  }
  return std::nullopt;
}

// ProductModelID -> CatalogDescription text from the INSERT statements of the script.
std::map<int, std::string> ScriptedDescriptions(const std::vector<std::uint8_t>& utf16_script) {
  std::string script;
  const ByteReader bytes(utf16_script);
  binxml::AppendUtf16(bytes.tail(2), (bytes.size() - 2) / 2, binxml::Escape::kNone, script);
  std::map<int, std::string> descriptions;
  const std::string insert = "INSERT [SalesLT].[ProductModel] ([ProductModelID], [Name], [CatalogDescription]";
  // Reads N'...' at `at`, undoubling quotes; returns the position after it.
  auto read_string = [&script](std::size_t at, std::string* value) {
    at += 2;
    for (; at < script.size(); ++at) {
      if (script[at] == '\'') {
        if (at + 1 < script.size() && script[at + 1] == '\'') {
          ++at;
        } else {
          return at + 1;
        }
      }
      if (value && script[at] != '\r') value->push_back(script[at]);  // the script ends its lines with CR LF
    }
    return at;
  };
  for (std::size_t at = script.find(insert); at != std::string::npos; at = script.find(insert, at + 1)) {
    std::size_t p = script.find("VALUES (", at) + 8;
    const int id = std::stoi(script.substr(p, 8));
    p = read_string(script.find("N'", p), nullptr);
    if (script.compare(p, 4, ", N'") != 0) continue;  // NULL description
    std::string value;
    read_string(p + 2, &value);
    descriptions[id] = value;
  }
  return descriptions;
}

TEST(XmlTextComponent, AdventureWorksCatalogDescriptionsReadAsSqlServerScriptedThem) {
  const std::string fixtures = PORTALMEND_FIXTURES;
  if (!std::filesystem::is_directory(fixtures)) GTEST_SKIP() << "no fixtures folder";
  const std::vector<std::uint8_t> file = ReadFile(fixtures + kAdventureWorks);
  const std::map<int, std::string> scripted = ScriptedDescriptions(ReadFile(fixtures + kAdventureWorksScript));
  ASSERT_FALSE(file.empty());
  ASSERT_EQ(scripted.size(), 6u);

  int compared = 0;
  const ByteReader data(file);
  for (std::size_t page_start = 0; page_start + kPageSize <= data.size(); page_start += kPageSize) {
    const ByteReader page = *data.sub(page_start, kPageSize);
    for (std::size_t at = 0; at + binxml::kHeaderSize <= kPageSize; ++at) {
      if (!LooksLikeBinaryXml(page.tail(at))) continue;
      const auto value = VariableColumnAt(page, at);
      ASSERT_TRUE(value.has_value()) << "page " << page_start / kPageSize << " offset " << at;
      const std::string text = ConvertXmlBytes(*value);
      ASSERT_FALSE(text.empty()) << "page " << page_start / kPageSize;
      const std::size_t id_at = text.find("ProductModelID=\"") + 16;
      const int id = std::stoi(text.substr(id_at, 4));
      ASSERT_TRUE(scripted.count(id)) << id;
      EXPECT_EQ(text, scripted.at(id)) << "ProductModelID " << id;
      ++compared;
    }
  }
  EXPECT_EQ(compared, 6);
}

}  // namespace
}  // namespace portalmend
