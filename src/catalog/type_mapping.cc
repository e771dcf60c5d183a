#include "catalog/type_mapping.h"

namespace portalmend {

std::uint32_t type_code_of(std::uint8_t system_type_id) {
  switch (system_type_id) {
    case 34: return typecode::kText;
    case 35: return typecode::kText;
    case 36: return typecode::kUniqueIdentifier;
    case 40: return typecode::kDate;
    case 41: return typecode::kTime;
    case 42: return typecode::kDatetime2;
    case 43: return typecode::kDatetimeOffset;
    case 48: return typecode::kTinyint;
    case 52: return typecode::kSmallint;
    case 56: return typecode::kInt;
    case 58: return typecode::kSmalldatetime;
    case 59: return typecode::kReal;
    case 60: return typecode::kMoney;
    case 61: return typecode::kDatetime;
    case 62: return typecode::kFloat;
    case 98: return typecode::kSqlVariant;
    case 99: return typecode::kNtext;
    case 104: return typecode::kBit;
    case 106: return typecode::kDecimal;
    case 108: return typecode::kNumeric;
    case 122: return typecode::kSmallmoney;
    case 127: return typecode::kBigint;
    case 165: return typecode::kVarbinary;
    case 167: return typecode::kVarchar;
    case 173: return typecode::kBinary;
    case 189: return typecode::kTimestamp;
    case 231: return typecode::kNvarchar;
    case 232: return typecode::kUnusedNvarchar;
    case 239: return typecode::kNchar;
    case 240: return typecode::kClrType;
    case 241: return typecode::kXml;
    default: return typecode::kChar;
  }
}

std::uint32_t column_type_code(std::uint8_t system_type_id) {
  if (system_type_id == systype::kImage) return typecode::kImage;
  return type_code_of(system_type_id);
}

std::uint32_t clr_adjusted_type_code(std::uint32_t code, std::int32_t user_type_id) {
  constexpr std::int32_t kUserType128 = 128;
  constexpr std::int32_t kUserType129 = 129;
  if (code != typecode::kClrType) return code;
  if (user_type_id == kUserType129) return typecode::kClrUserType129;
  if (user_type_id == kUserType128) return typecode::kClrUserType128;
  return code;
}

}  // namespace portalmend
