#pragma once
// The internal type codes: what kind of value a column holds, and so how its stored bytes
// are measured and turned into text. The catalog assigns one to every column from the
// column's SQL Server system type id.

#include <cstdint>

namespace portalmend {

using TypeCode = std::uint32_t;

inline constexpr TypeCode kTypeBigint = 0;
inline constexpr TypeCode kTypeBinary = 1;
inline constexpr TypeCode kTypeBit = 2;
inline constexpr TypeCode kTypeChar = 3;
inline constexpr TypeCode kTypeDatetime = 4;
inline constexpr TypeCode kTypeDate = 5;
inline constexpr TypeCode kTypeTime = 6;
inline constexpr TypeCode kTypeDatetime2 = 7;
inline constexpr TypeCode kTypeDatetimeOffset = 8;
inline constexpr TypeCode kTypeInt = 9;
inline constexpr TypeCode kTypeNchar = 10;
inline constexpr TypeCode kTypeNvarchar = 11;
inline constexpr TypeCode kTypeUnassigned = 12;      // never assigned to a column
inline constexpr TypeCode kTypeSmallint = 13;
inline constexpr TypeCode kTypeTinyint = 14;
inline constexpr TypeCode kTypeUniqueidentifier = 15;
inline constexpr TypeCode kTypeVarbinary = 16;
inline constexpr TypeCode kTypeVarchar = 17;
inline constexpr TypeCode kTypeUnused = 18;          // turned into nvarchar by the catalog
inline constexpr TypeCode kTypeNtext = 19;
inline constexpr TypeCode kTypeSqlVariant = 20;
inline constexpr TypeCode kTypeMoney = 21;
inline constexpr TypeCode kTypeFloat = 22;
inline constexpr TypeCode kTypeNumeric = 23;
inline constexpr TypeCode kTypeDecimal = 24;
inline constexpr TypeCode kTypeImage = 25;
inline constexpr TypeCode kTypeText = 26;
inline constexpr TypeCode kTypeSmalldatetime = 27;
inline constexpr TypeCode kTypeReal = 28;
inline constexpr TypeCode kTypeSmallmoney = 29;
inline constexpr TypeCode kTypeTimestamp = 30;
inline constexpr TypeCode kTypeClr128 = 31;           // CLR type with user type id 128
inline constexpr TypeCode kTypeClr129 = 32;           // CLR type with user type id 129
inline constexpr TypeCode kTypeClrOther = 33;         // any other CLR type
inline constexpr TypeCode kTypeXml = 34;

// The largest code that names a type; anything above decodes as nothing.
inline constexpr TypeCode kLastTypeCode = kTypeXml;

}  // namespace portalmend
