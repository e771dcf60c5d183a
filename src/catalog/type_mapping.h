#pragma once
// From SQL Server's system type ids to the internal type codes the value decoders use.
//
//   system type id          code     system type id            code
//   34  image               26 (*)   106 decimal               24
//   35  text                26       108 numeric               23
//   36  uniqueidentifier    15       122 smallmoney            29
//   40  date                5        127 bigint                0
//   41  time                6        165 varbinary             16
//   42  datetime2           7        167 varchar               17
//   43  datetimeoffset      8        173 binary                1
//   48  tinyint             14       189 timestamp             30
//   52  smallint            13       231 nvarchar              11
//   56  int                 9        232 (no standard type)    18
//   58  smalldatetime       27       239 nchar                 10
//   59  real                28       240 CLR user type         33
//   60  money               21       241 xml                   34
//   61  datetime            4        any other (char 175 ...)  3
//   62  float               22
//   98  sql_variant         20
//   99  ntext               19
//   104 bit                 2
// (*) a column of type image is described with code 25; see column_type_code().

#include <cstdint>

#include "values/type_code.h"

namespace portalmend {

// The catalog's names for the internal type codes; the numbers are defined once, with the
// value decoders.
namespace typecode {
constexpr std::uint32_t kBigint = kTypeBigint;
constexpr std::uint32_t kBinary = kTypeBinary;
constexpr std::uint32_t kBit = kTypeBit;
constexpr std::uint32_t kChar = kTypeChar;
constexpr std::uint32_t kDatetime = kTypeDatetime;
constexpr std::uint32_t kDate = kTypeDate;
constexpr std::uint32_t kTime = kTypeTime;
constexpr std::uint32_t kDatetime2 = kTypeDatetime2;
constexpr std::uint32_t kDatetimeOffset = kTypeDatetimeOffset;
constexpr std::uint32_t kInt = kTypeInt;
constexpr std::uint32_t kNchar = kTypeNchar;
constexpr std::uint32_t kNvarchar = kTypeNvarchar;
constexpr std::uint32_t kSmallint = kTypeSmallint;
constexpr std::uint32_t kTinyint = kTypeTinyint;
constexpr std::uint32_t kUniqueIdentifier = kTypeUniqueidentifier;
constexpr std::uint32_t kVarbinary = kTypeVarbinary;
constexpr std::uint32_t kVarchar = kTypeVarchar;
constexpr std::uint32_t kUnusedNvarchar = kTypeUnused;
constexpr std::uint32_t kNtext = kTypeNtext;
constexpr std::uint32_t kSqlVariant = kTypeSqlVariant;
constexpr std::uint32_t kMoney = kTypeMoney;
constexpr std::uint32_t kFloat = kTypeFloat;
constexpr std::uint32_t kNumeric = kTypeNumeric;
constexpr std::uint32_t kDecimal = kTypeDecimal;
constexpr std::uint32_t kImage = kTypeImage;
constexpr std::uint32_t kText = kTypeText;
constexpr std::uint32_t kSmalldatetime = kTypeSmalldatetime;
constexpr std::uint32_t kReal = kTypeReal;
constexpr std::uint32_t kSmallmoney = kTypeSmallmoney;
constexpr std::uint32_t kTimestamp = kTypeTimestamp;
constexpr std::uint32_t kClrUserType128 = kTypeClr128;
constexpr std::uint32_t kClrUserType129 = kTypeClr129;
constexpr std::uint32_t kClrType = kTypeClrOther;
constexpr std::uint32_t kXml = kTypeXml;
}  // namespace typecode

// SQL Server system type ids the catalog treats specially.
namespace systype {
constexpr std::uint8_t kImage = 34;
constexpr std::uint8_t kClrType = 240;
}  // namespace systype

// The code of a system type id by the table above (image gives 26).
std::uint32_t type_code_of(std::uint8_t system_type_id);

// The code a column of this system type is described with: as type_code_of(), except
// that image gives 25.
std::uint32_t column_type_code(std::uint8_t system_type_id);

// The code of a CLR user type column once its user type id is known: 128 gives 31,
// 129 gives 32, others keep `code`.
std::uint32_t clr_adjusted_type_code(std::uint32_t code, std::int32_t user_type_id);

}  // namespace portalmend
