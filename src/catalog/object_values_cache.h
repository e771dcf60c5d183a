#pragma once
// Decoded rows of sysobjvalues / syscomments: the definition texts of objects and of
// computed columns, each as (object id text, sub-object id text, value text). The value
// text is the stored value as the row readers show binary data: "0x" and two upper-case
// hexadecimal digits per byte.

#include <cstdint>
#include <string>
#include <vector>

namespace portalmend {

struct ObjectValueRow {
  std::string object_id_text;
  std::string sub_object_id_text;
  std::string value_text;
};

using ObjectValuesCache = std::vector<ObjectValueRow>;

struct DecodedValueText {
  std::vector<std::uint8_t> bytes;
  // Set when a byte after the first one is zero: the bytes are UTF-16 text.
  bool wide = false;
};

// The bytes of a "0x..." value text. A text shorter than two characters gives no bytes.
// Digits A-F give 10-15; any other character gives the low four bits of its code (so
// 0-9 give 0-9); an odd last digit is the high nibble of the last byte.
DecodedValueText decode_value_text(const std::string& text);

// The readable text of a value text: UTF-16 up to the first zero code unit when wide,
// else 8-bit text (Windows-1252) up to the first zero byte.
std::string value_text_as_text(const std::string& text);

// Looks up the definition of column `column_id` of the object whose id is `object_id_text`:
// the readable texts of every cache row with that object id text, the column id in decimal
// as sub-object id text and a non-empty value, joined in cache order. Returns false (and
// leaves `definition` alone) when no row matched.
bool definition_text_lookup(const ObjectValuesCache& cache, const std::string& object_id_text,
                            std::int32_t column_id, std::string& definition);

}  // namespace portalmend
