#pragma once
// Writes binary xml, the form in which SQL Server stores xml values, token by token. Tests,
// benchmarks and the fuzz corpus build their documents with it; it writes exactly what it is told
// (including bad data when asked), so that each case shows the bytes it is about.

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace portalmend {

class BinaryXmlWriter {
 public:
  // Starts a document: signature, version and code page 1200.
  explicit BinaryXmlWriter(std::uint8_t version = 1);

  const std::vector<std::uint8_t>& bytes() const { return bytes_; }
  std::vector<std::uint8_t> take() { return std::move(bytes_); }

  // Building blocks.
  BinaryXmlWriter& Byte(std::uint8_t value);
  BinaryXmlWriter& Bytes(const std::vector<std::uint8_t>& values);
  BinaryXmlWriter& Mb(std::uint64_t value);           // mb32 / mb64
  BinaryXmlWriter& Utf16(std::string_view utf8);      // the code units only
  BinaryXmlWriter& TextData(std::string_view utf8);   // mb32 count of units, then the units

  // Name tables. QName() defines whatever names and qname it needs and reuses earlier ones.
  std::uint32_t DefineName(std::string_view utf8);
  std::uint32_t DefineQName(std::uint32_t ns, std::uint32_t prefix, std::uint32_t local);
  std::uint32_t QName(std::string_view local, std::string_view prefix = {}, std::string_view ns = {});
  BinaryXmlWriter& Flush();

  // Structure.
  BinaryXmlWriter& XmlDecl(std::string_view version, std::string_view encoding, std::uint8_t standalone);
  BinaryXmlWriter& Element(std::string_view local, std::string_view prefix = {}, std::string_view ns = {});
  BinaryXmlWriter& ElementRef(std::uint32_t qname);
  BinaryXmlWriter& Attribute(std::string_view local, std::string_view prefix = {}, std::string_view ns = {});
  BinaryXmlWriter& AttributeRef(std::uint32_t qname);
  BinaryXmlWriter& EndAttributes();
  BinaryXmlWriter& EndElement();
  BinaryXmlWriter& Text(std::string_view utf8);  // SQL_NVARCHAR
  BinaryXmlWriter& Comment(std::string_view utf8);
  BinaryXmlWriter& Pi(std::string_view name, std::string_view text);
  BinaryXmlWriter& CData(std::initializer_list<std::string_view> pieces);  // CDATA pieces, END-CDATA
  BinaryXmlWriter& DocType(std::string_view name, const char* system_id, const char* public_id, const char* subset);
  BinaryXmlWriter& XmlText(std::string_view utf8);
  BinaryXmlWriter& Extension(const std::vector<std::uint8_t>& payload);
  BinaryXmlWriter& Nest(std::uint8_t version = 1);  // NEST and the embedded document's header
  BinaryXmlWriter& EndNest();

  // Atomic values: the token, then the payload as given.
  BinaryXmlWriter& Value(std::uint8_t token, const std::vector<std::uint8_t>& payload);
  BinaryXmlWriter& Le(std::uint8_t token, std::uint64_t value, int width);  // fixed-size little-endian (zeros past 8 bytes)
  BinaryXmlWriter& Real(float value);
  BinaryXmlWriter& Float(double value);
  BinaryXmlWriter& Decimal(std::uint8_t token, std::uint8_t precision, std::uint8_t scale, bool positive,
                           const std::vector<std::uint32_t>& words);
  BinaryXmlWriter& Sized(std::uint8_t token, const std::vector<std::uint8_t>& data);  // mb64 length, bytes
  BinaryXmlWriter& CodePageText(std::uint8_t token, std::uint32_t code_page, const std::vector<std::uint8_t>& data);
  BinaryXmlWriter& UnicodeText(std::uint8_t token, std::string_view utf8);  // NCHAR / NTEXT / NVARCHAR
  BinaryXmlWriter& DateTime2(std::uint8_t token, std::uint8_t scale, std::uint64_t time_units, std::uint32_t days,
                             std::int16_t zone_minutes);
  BinaryXmlWriter& Date2(std::uint32_t days);
  BinaryXmlWriter& QNameValue(std::uint32_t qname);

 private:
  void Header(std::uint8_t version);

  struct Tables {
    std::map<std::string, std::uint32_t> names;
    std::map<std::tuple<std::uint32_t, std::uint32_t, std::uint32_t>, std::uint32_t> qnames;
    std::uint32_t next_name = 1;
    std::uint32_t next_qname = 1;
  };

  std::vector<std::uint8_t> bytes_;
  Tables tables_;
  std::vector<Tables> nested_;
};

}  // namespace portalmend
