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

namespace portalmend {

namespace typecode {
constexpr std::uint32_t kBigint = 0;
constexpr std::uint32_t kBinary = 1;
constexpr std::uint32_t kBit = 2;
constexpr std::uint32_t kChar = 3;
constexpr std::uint32_t kDatetime = 4;
constexpr std::uint32_t kDate = 5;
constexpr std::uint32_t kTime = 6;
constexpr std::uint32_t kDatetime2 = 7;
constexpr std::uint32_t kDatetimeOffset = 8;
constexpr std::uint32_t kInt = 9;
constexpr std::uint32_t kNchar = 10;
constexpr std::uint32_t kNvarchar = 11;
constexpr std::uint32_t kSmallint = 13;
constexpr std::uint32_t kTinyint = 14;
constexpr std::uint32_t kUniqueIdentifier = 15;
constexpr std::uint32_t kVarbinary = 16;
constexpr std::uint32_t kVarchar = 17;
constexpr std::uint32_t kUnusedNvarchar = 18;
constexpr std::uint32_t kNtext = 19;
constexpr std::uint32_t kSqlVariant = 20;
constexpr std::uint32_t kMoney = 21;
constexpr std::uint32_t kFloat = 22;
constexpr std::uint32_t kNumeric = 23;
constexpr std::uint32_t kDecimal = 24;
constexpr std::uint32_t kImage = 25;
constexpr std::uint32_t kText = 26;
constexpr std::uint32_t kSmalldatetime = 27;
constexpr std::uint32_t kReal = 28;
constexpr std::uint32_t kSmallmoney = 29;
constexpr std::uint32_t kTimestamp = 30;
constexpr std::uint32_t kClrUserType128 = 31;
constexpr std::uint32_t kClrUserType129 = 32;
constexpr std::uint32_t kClrType = 33;
constexpr std::uint32_t kXml = 34;
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
