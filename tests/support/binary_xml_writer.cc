#include "support/binary_xml_writer.h"

#include <bit>

#include "tabledata/binary_xml_tokens.h"

namespace portalmend {
namespace {

// UTF-8 to UTF-16 code units (the writer's input is always well-formed UTF-8).
std::u16string ToUtf16(std::string_view utf8) {
  std::u16string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    char32_t c = b;
    int extra = 0;
    if (b >= 0xF0) {
      c = b & 0x07;
      extra = 3;
    } else if (b >= 0xE0) {
      c = b & 0x0F;
      extra = 2;
    } else if (b >= 0xC0) {
      c = b & 0x1F;
      extra = 1;
    }
    ++i;
    for (int k = 0; k < extra && i < utf8.size(); ++k, ++i) c = (c << 6) | (static_cast<unsigned char>(utf8[i]) & 0x3F);
    if (c >= 0x10000) {
      c -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
  }
  return out;
}

}  // namespace

BinaryXmlWriter::BinaryXmlWriter(std::uint8_t version) { Header(version); }

void BinaryXmlWriter::Header(std::uint8_t version) {
  Bytes({binxml::kSignature0, binxml::kSignature1, version, 0xB0, 0x04});
}

BinaryXmlWriter& BinaryXmlWriter::Byte(std::uint8_t value) {
  bytes_.push_back(value);
  return *this;
}

BinaryXmlWriter& BinaryXmlWriter::Bytes(const std::vector<std::uint8_t>& values) {
  bytes_.insert(bytes_.end(), values.begin(), values.end());
  return *this;
}

BinaryXmlWriter& BinaryXmlWriter::Mb(std::uint64_t value) {
  do {
    std::uint8_t group = value & 0x7F;
    value >>= 7;
    if (value != 0) group |= 0x80;
    bytes_.push_back(group);
  } while (value != 0);
  return *this;
}

BinaryXmlWriter& BinaryXmlWriter::Utf16(std::string_view utf8) {
  for (const char16_t unit : ToUtf16(utf8)) {
    bytes_.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    bytes_.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  return *this;
}

BinaryXmlWriter& BinaryXmlWriter::TextData(std::string_view utf8) {
  Mb(ToUtf16(utf8).size());
  return Utf16(utf8);
}

std::uint32_t BinaryXmlWriter::DefineName(std::string_view utf8) {
  Byte(binxml::kNameDef).TextData(utf8);
  const std::uint32_t index = tables_.next_name++;
  tables_.names.emplace(std::string(utf8), index);
  return index;
}

std::uint32_t BinaryXmlWriter::DefineQName(std::uint32_t ns, std::uint32_t prefix, std::uint32_t local) {
  Byte(binxml::kQNameDef).Mb(ns).Mb(prefix).Mb(local);
  const std::uint32_t index = tables_.next_qname++;
  tables_.qnames.emplace(std::make_tuple(ns, prefix, local), index);
  return index;
}

std::uint32_t BinaryXmlWriter::QName(std::string_view local, std::string_view prefix, std::string_view ns) {
  auto name = [this](std::string_view text) -> std::uint32_t {
    if (text.empty()) return 0;
    const auto found = tables_.names.find(std::string(text));
    return found != tables_.names.end() ? found->second : DefineName(text);
  };
  const std::uint32_t parts[3] = {name(ns), name(prefix), name(local)};
  const auto found = tables_.qnames.find(std::make_tuple(parts[0], parts[1], parts[2]));
  return found != tables_.qnames.end() ? found->second : DefineQName(parts[0], parts[1], parts[2]);
}

BinaryXmlWriter& BinaryXmlWriter::Flush() {
  tables_ = Tables{};
  return Byte(binxml::kFlush);
}

BinaryXmlWriter& BinaryXmlWriter::XmlDecl(std::string_view version, std::string_view encoding, std::uint8_t standalone) {
  Byte(binxml::kXmlDecl).TextData(version);
  if (!encoding.empty()) Byte(binxml::kEncoding).TextData(encoding);
  return Byte(standalone);
}

BinaryXmlWriter& BinaryXmlWriter::Element(std::string_view local, std::string_view prefix, std::string_view ns) {
  return ElementRef(QName(local, prefix, ns));
}

BinaryXmlWriter& BinaryXmlWriter::ElementRef(std::uint32_t qname) { return Byte(binxml::kElement).Mb(qname); }

BinaryXmlWriter& BinaryXmlWriter::Attribute(std::string_view local, std::string_view prefix, std::string_view ns) {
  return AttributeRef(QName(local, prefix, ns));
}

BinaryXmlWriter& BinaryXmlWriter::AttributeRef(std::uint32_t qname) { return Byte(binxml::kAttribute).Mb(qname); }

BinaryXmlWriter& BinaryXmlWriter::EndAttributes() { return Byte(binxml::kEndAttributes); }

BinaryXmlWriter& BinaryXmlWriter::EndElement() { return Byte(binxml::kEndElement); }

BinaryXmlWriter& BinaryXmlWriter::Text(std::string_view utf8) { return UnicodeText(binxml::kSqlNVarChar, utf8); }

BinaryXmlWriter& BinaryXmlWriter::Comment(std::string_view utf8) { return Byte(binxml::kComment).TextData(utf8); }

BinaryXmlWriter& BinaryXmlWriter::Pi(std::string_view name, std::string_view text) {
  const auto found = tables_.names.find(std::string(name));
  const std::uint32_t index = found != tables_.names.end() ? found->second : DefineName(name);
  return Byte(binxml::kPi).Mb(index).TextData(text);
}

BinaryXmlWriter& BinaryXmlWriter::CData(std::initializer_list<std::string_view> pieces) {
  for (const std::string_view piece : pieces) Byte(binxml::kCData).TextData(piece);
  return Byte(binxml::kEndCData);
}

BinaryXmlWriter& BinaryXmlWriter::DocType(std::string_view name, const char* system_id, const char* public_id,
                                          const char* subset) {
  Byte(binxml::kDocType).TextData(name);
  if (system_id) Byte(binxml::kSystem).TextData(system_id);
  if (public_id) Byte(binxml::kPublic).TextData(public_id);
  if (subset) Byte(binxml::kSubset).TextData(subset);
  return *this;
}

BinaryXmlWriter& BinaryXmlWriter::XmlText(std::string_view utf8) { return Byte(binxml::kXmlText).TextData(utf8); }

BinaryXmlWriter& BinaryXmlWriter::Extension(const std::vector<std::uint8_t>& payload) {
  return Byte(binxml::kExtension).Mb(payload.size()).Bytes(payload);
}

BinaryXmlWriter& BinaryXmlWriter::Nest(std::uint8_t version) {
  Byte(binxml::kNest);
  nested_.push_back(std::move(tables_));
  tables_ = Tables{};
  Header(version);
  return *this;
}

BinaryXmlWriter& BinaryXmlWriter::EndNest() {
  if (!nested_.empty()) {
    tables_ = std::move(nested_.back());
    nested_.pop_back();
  }
  return Byte(binxml::kEndNest);
}

BinaryXmlWriter& BinaryXmlWriter::Value(std::uint8_t token, const std::vector<std::uint8_t>& payload) {
  return Byte(token).Bytes(payload);
}

BinaryXmlWriter& BinaryXmlWriter::Le(std::uint8_t token, std::uint64_t value, int width) {
  Byte(token);
  for (int i = 0; i < width; ++i) bytes_.push_back(i < 8 ? static_cast<std::uint8_t>(value >> (8 * i)) : 0);
  return *this;
}

BinaryXmlWriter& BinaryXmlWriter::Real(float value) {
  return Le(binxml::kSqlReal, std::bit_cast<std::uint32_t>(value), 4);
}

BinaryXmlWriter& BinaryXmlWriter::Float(double value) {
  return Le(binxml::kSqlFloat, std::bit_cast<std::uint64_t>(value), 8);
}

BinaryXmlWriter& BinaryXmlWriter::Decimal(std::uint8_t token, std::uint8_t precision, std::uint8_t scale,
                                          bool positive, const std::vector<std::uint32_t>& words) {
  Byte(token).Mb(3 + 4 * words.size()).Byte(precision).Byte(scale).Byte(positive ? 1 : 0);
  for (const std::uint32_t word : words) {
    for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<std::uint8_t>(word >> (8 * i)));
  }
  return *this;
}

BinaryXmlWriter& BinaryXmlWriter::Sized(std::uint8_t token, const std::vector<std::uint8_t>& data) {
  return Byte(token).Mb(data.size()).Bytes(data);
}

BinaryXmlWriter& BinaryXmlWriter::CodePageText(std::uint8_t token, std::uint32_t code_page,
                                               const std::vector<std::uint8_t>& data) {
  Byte(token).Mb(4 + data.size());
  for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<std::uint8_t>(code_page >> (8 * i)));
  return Bytes(data);
}

BinaryXmlWriter& BinaryXmlWriter::UnicodeText(std::uint8_t token, std::string_view utf8) {
  return Byte(token).TextData(utf8);
}

BinaryXmlWriter& BinaryXmlWriter::DateTime2(std::uint8_t token, std::uint8_t scale, std::uint64_t time_units,
                                            std::uint32_t days, std::int16_t zone_minutes) {
  static constexpr int kTimeBytes[8] = {3, 3, 3, 4, 4, 5, 5, 5};
  Byte(token).Byte(scale);
  for (int i = 0; i < kTimeBytes[scale & 7]; ++i) bytes_.push_back(static_cast<std::uint8_t>(time_units >> (8 * i)));
  for (int i = 0; i < 3; ++i) bytes_.push_back(static_cast<std::uint8_t>(days >> (8 * i)));
  if (token == binxml::kXsdTimeOffset || token == binxml::kXsdDateTimeOffset || token == binxml::kXsdDateOffset) {
    const auto zone = static_cast<std::uint16_t>(zone_minutes);
    bytes_.push_back(static_cast<std::uint8_t>(zone & 0xFF));
    bytes_.push_back(static_cast<std::uint8_t>(zone >> 8));
  }
  return *this;
}

BinaryXmlWriter& BinaryXmlWriter::Date2(std::uint32_t days) {
  Byte(binxml::kXsdDate2);
  for (int i = 0; i < 3; ++i) bytes_.push_back(static_cast<std::uint8_t>(days >> (8 * i)));
  return *this;
}

BinaryXmlWriter& BinaryXmlWriter::QNameValue(std::uint32_t qname) { return Byte(binxml::kXsdQName).Mb(qname); }

}  // namespace portalmend
