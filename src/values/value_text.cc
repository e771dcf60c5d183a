#include "values/value_text.h"

#include <cstring>
#include <limits>

#include "values/code_page.h"
#include "values/date_time.h"
#include "values/number_text.h"
#include "values/sql_variant.h"
#include "values/xml_value_text.h"

namespace portalmend {

namespace {

constexpr char kTrue[] = "True";
constexpr char kFalse[] = "False";
// An xml value that converts to nothing still shows as present.
constexpr char kEmptyXmlText[] = " ";

constexpr std::int32_t kDatetimeBytes = 8;
constexpr std::int32_t kSmalldatetimeBytes = 4;
constexpr std::int32_t kDateBytes = 3;
constexpr std::int32_t kMoneyBytes = 8;
constexpr std::int32_t kBitsPerByte = 8;

// Types whose value length becomes their storage length once they are formatted.
bool takes_storage_length(TypeCode code) {
  switch (code) {
    case kTypeDatetime:
    case kTypeDate:
    case kTypeTime:
    case kTypeDatetime2:
    case kTypeDatetimeOffset:
    case kTypeSmalldatetime:
    case kTypeMoney:
    case kTypeNumeric:
    case kTypeDecimal:
      return true;
    default:
      return false;
  }
}

// Bytes a value of these types takes when the type text does not say (no parentheses).
std::int32_t natural_storage_length(const ValueColumn& column) {
  switch (column.type_code) {
    case kTypeDatetime:
    case kTypeMoney:
      return kDatetimeBytes;
    case kTypeSmalldatetime:
      return kSmalldatetimeBytes;
    case kTypeDate:
      return kDateBytes;
    case kTypeTime:
      return time_bytes_for_scale(column.scale);
    case kTypeDatetime2:
      return time_bytes_for_scale(column.scale) + kDateBytes;
    case kTypeDatetimeOffset:
      return time_bytes_for_scale(column.scale) + kDateBytes + 2;
    case kTypeNumeric:
    case kTypeDecimal:
      return 1 + decimal_magnitude_bytes(column.precision);
    default:
      return 0;
  }
}

// "True"/"False" for the next bit column of a record, reading a new byte of `bytes` when
// the previous byte's eight bits are used up.
std::string bit_text(ValueShape& shape, const ByteReader& bytes) {
  BitColumnState* bits = shape.bits;
  if (shape.value_length != 1 || bits == nullptr) return {};
  if (bits->bit_index >= kBitsPerByte) bits->byte_in_use = false;
  if (!bits->byte_in_use) {
    const std::optional<std::uint8_t> byte = bytes.u8(0);
    if (!byte) return {};
    bits->current_byte = *byte;
    bits->bit_index = 0;
    bits->byte_in_use = true;
    shape.storage_length = 1;
  } else {
    shape.storage_length = 0;
  }
  const bool set = ((bits->current_byte >> bits->bit_index) & 1) != 0;
  ++bits->bit_index;
  return set ? kTrue : kFalse;
}

double double_at(const ByteReader& bytes) {
  const std::uint64_t raw = bytes.u64_or(0);
  double value;
  std::memcpy(&value, &raw, sizeof value);
  return value;
}

float float_at(const ByteReader& bytes) {
  const std::uint32_t raw = bytes.u32_or(0);
  float value;
  std::memcpy(&value, &raw, sizeof value);
  return value;
}

// The text of a value whose bytes are exactly `value` (checks done by the caller).
std::string text_of(const ValueShape& shape, const ValueColumn& column, const ByteReader& value,
                    const ValueContext& context) {
  const auto needs = [&](std::size_t width) { return value.has(0, width); };
  switch (shape.type_code) {
    case kTypeBigint:
      return needs(8) ? std::to_string(value.i64_or(0)) : std::string();
    case kTypeBinary:
    case kTypeTimestamp:
    case kTypeClr128:
    case kTypeClrOther:
      return "0x" + hex_digits(value);
    case kTypeVarbinary:
    case kTypeClr129:
      return hex_digits(value);
    case kTypeChar:
    case kTypeVarchar:
    case kTypeText:
      return eight_bit_text(value, context.code_page_for(column.collation_id));
    case kTypeDatetime:
      return datetime_text(value);
    case kTypeDate:
      return date_text(value);
    case kTypeSmalldatetime:
      return smalldatetime_text(value);
    case kTypeTime:
      return time_text(value, column.scale, shape.storage_length);
    case kTypeDatetime2:
      return datetime2_text(value, column.scale, shape.storage_length);
    case kTypeDatetimeOffset:
      return datetimeoffset_text(value, column.scale, shape.storage_length);
    case kTypeInt:
      return needs(4) ? std::to_string(value.i32_or(0)) : std::string();
    case kTypeNchar:
    case kTypeNvarchar:
    case kTypeNtext:
      // ntext is UTF-16 like nvarchar; reading it through an 8-bit code page would mangle
      // every character outside Latin-1.
      return utf16_text(value);
    case kTypeSmallint:
      return needs(2) ? std::to_string(value.i16_or(0)) : std::string();
    case kTypeTinyint:
      return needs(1) ? std::to_string(value.u8_or(0)) : std::string();
    case kTypeUniqueidentifier:
      return guid_text(value);
    case kTypeSqlVariant:
      return variant_to_text(value, static_cast<std::int64_t>(value.size()), context);
    case kTypeMoney:
      return needs(8) ? money_text(value.i64_or(0)) : std::string();
    case kTypeFloat:
      return needs(8) ? float_text(double_at(value)) : std::string();
    case kTypeNumeric:
    case kTypeDecimal:
      return decimal_text(value, column.precision, column.scale);
    case kTypeReal:
      return needs(4) ? real_text(float_at(value)) : std::string();
    case kTypeSmallmoney:
      return needs(4) ? smallmoney_text(value.i32_or(0)) : std::string();
    case kTypeXml: {
      std::string text = xml_value_text(value);
      return text.empty() ? kEmptyXmlText : text;
    }
    default:
      // Unassigned (12), unused (18), image (25) and codes past xml.
      return {};
  }
}

}  // namespace

std::string value_to_text(ValueShape& shape, const ValueColumn& column, const ByteReader& bytes,
                          const ValueContext& context) {
  if (shape.type_code == kTypeBit) return bit_text(shape, bytes);
  if (bytes.empty()) return {};
  if (shape.variable) shape.max_length = shape.value_length;
  if (shape.storage_length == 0) shape.storage_length = length_from_type_text(column.type_text);

  if (takes_storage_length(shape.type_code)) {
    // Dates, times, decimals and money take the bytes their declared size says, which may
    // be fewer than the widest value of the type (a time(0) takes 3 bytes, not 5).
    if (shape.storage_length <= 0) shape.storage_length = natural_storage_length(column);
    if (shape.storage_length > std::numeric_limits<std::int16_t>::max()) return {};
    if (shape.storage_length > 0) shape.value_length = static_cast<std::int16_t>(shape.storage_length);
  } else if (!shape.variable && shape.storage_length <= 0) {
    shape.storage_length = shape.value_length;
  }

  if (shape.value_length < 1 || shape.value_length > shape.max_length) return {};
  const std::optional<ByteReader> value = bytes.sub(0, static_cast<std::size_t>(shape.value_length));
  if (!value) return {};
  return text_of(shape, column, *value, context);
}

}  // namespace portalmend
