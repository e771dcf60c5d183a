#include "catalog/object_values_cache.h"

#include "catalog/row_pieces.h"

namespace portalmend {

namespace {

std::uint8_t nibble_of(char c) {
  if (c >= 'A' && c <= 'F') return static_cast<std::uint8_t>(c - 'A' + 10);
  return static_cast<std::uint8_t>(static_cast<unsigned char>(c) & 0x0F);
}

// Windows-1252 characters 0x80-0x9F; 0 marks the five unassigned positions.
constexpr std::uint16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

std::string cp1252_text(const std::vector<std::uint8_t>& bytes) {
  std::vector<std::uint8_t> utf16;
  for (std::uint8_t byte : bytes) {
    if (byte == 0) break;
    std::uint16_t unit = byte;
    if (byte >= 0x80 && byte < 0xA0) unit = kCp1252High[byte - 0x80] ? kCp1252High[byte - 0x80] : 0xFFFD;
    utf16.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    utf16.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  return utf16_name_text(ByteReader(utf16));
}

}  // namespace

DecodedValueText decode_value_text(const std::string& text) {
  DecodedValueText decoded;
  const std::size_t n = text.size();
  if (n < 2) return decoded;
  for (std::size_t k = 0; 2 * k + 2 < n; ++k) {
    const std::uint8_t high = nibble_of(text[2 * k + 2]);
    const std::uint8_t low = 2 * k + 3 < n ? nibble_of(text[2 * k + 3]) : 0;
    decoded.bytes.push_back(static_cast<std::uint8_t>((high << 4) | low));
  }
  for (std::size_t i = 1; i < decoded.bytes.size(); ++i) {
    if (decoded.bytes[i] == 0) {
      decoded.wide = true;
      break;
    }
  }
  return decoded;
}

std::string value_text_as_text(const std::string& text) {
  const DecodedValueText decoded = decode_value_text(text);
  if (decoded.wide) return utf16_name_text(ByteReader(decoded.bytes));
  return cp1252_text(decoded.bytes);
}

bool definition_text_lookup(const ObjectValuesCache& cache, const std::string& object_id_text,
                            std::int32_t column_id, std::string& definition) {
  const std::string column_text = std::to_string(column_id);
  bool matched = false;
  std::string joined;
  for (const ObjectValueRow& row : cache) {
    if (row.object_id_text != object_id_text || row.sub_object_id_text != column_text || row.value_text.empty()) {
      continue;
    }
    joined += value_text_as_text(row.value_text);
    matched = true;
  }
  if (matched) definition = joined;
  return matched;
}

}  // namespace portalmend
