#include "values/value_shape.h"

#include "values/collation_table.h"

namespace portalmend {

namespace {

struct Sizes {
  std::uint8_t variable;
  std::int16_t fixed_size;
  std::int16_t value_length;
};

Sizes sizes_for(const ValueColumn& column, BitColumnState* bits) {
  const std::int16_t d = column.declared_length;
  const std::uint8_t v = column.variable;
  switch (column.type_code) {
    case kTypeBinary:
    case kTypeChar:
    case kTypeDecimal:
      return {0, d, d};
    case kTypeBit: {
      std::int16_t fixed = 0;
      if (bits != nullptr && bits->bit_index == 8) {
        bits->byte_consumed = true;
        fixed = 1;
      }
      return {0, fixed, 1};
    }
    case kTypeDate:
      return {0, 3, 3};
    case kTypeTime:
      return {0, 5, 5};
    case kTypeDatetimeOffset:
      return {0, 10, 10};
    case kTypeInt:
      return {0, 4, 4};
    case kTypeNchar:
    case kTypeNvarchar:
    case kTypeNtext:
    case kTypeText:
    case kTypeClr128:
    case kTypeClrOther:
      return {v, d, d};
    case kTypeUnassigned:
      return {v, 8, 8};
    case kTypeSmallint:
      return {0, 2, 2};
    case kTypeTinyint:
      return {0, 1, 1};
    case kTypeUniqueidentifier:
      return {0, 16, 16};
    case kTypeVarbinary:
      return {1, 0, d};
    case kTypeVarchar:
      return {v, 0, d};
    case kTypeUnused:
      return {0, 0, 0};
    case kTypeSqlVariant:
    case kTypeClr129:
      return {v, d, d};
    case kTypeMoney:
    case kTypeTimestamp:
      return {0, 8, 8};
    case kTypeNumeric:
      return {0, 19, 19};
    case kTypeImage:
    case kTypeXml:
      return {1, 0, d};
    case kTypeSmalldatetime:
    case kTypeReal:
    case kTypeSmallmoney:
      return {0, 4, 4};
    default:
      break;
  }
  if (column.type_code > kLastTypeCode) return {0, 0, 0};
  // bigint, datetime, datetime2, float.
  return {0, 8, 8};
}

}  // namespace

ValueShape shape_by_type(const ValueColumn& column, BitColumnState* bits) {
  const Sizes sizes = sizes_for(column, bits);
  ValueShape shape;
  shape.bits = column.type_code == kTypeBit ? bits : nullptr;
  shape.max_length = sizes.value_length;
  shape.variable = sizes.variable;
  shape.fixed_size = sizes.fixed_size;
  shape.value_length = sizes.value_length;
  shape.type_code = column.type_code;
  return shape;
}

std::int32_t length_from_type_text(std::string_view type_text) {
  const std::size_t open = type_text.find('(');
  if (open == std::string_view::npos) return 0;
  const std::size_t close = type_text.find(')', open + 1);
  if (close == std::string_view::npos) return 0;
  return parse_leading_int32(type_text.substr(open + 1, close - open - 1));
}

}  // namespace portalmend
