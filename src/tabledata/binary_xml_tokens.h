#pragma once
// The tokens of SQL Server's binary xml, the form in which a value of type xml is stored.
//
// A stored value is a stream of one-byte tokens, each followed by its payload:
//
//   offset  width  meaning
//   0       2      signature DF FF
//   2       1      version: 1 (SQL Server 2005) or 2 (2008 and later, adds the date/time tokens 7A-7F)
//   3       2      code page of the text, little-endian; always 1200 (B0 04, UTF-16LE)
//   5       ...    optional XMLDECL, then tokens to the end of the value
//
// Payload building blocks:
//   mb32 / mb64  unsigned integer, 7 bits per byte, least significant group first, high bit set on
//                every byte but the last (200 = C8 01); at most 5 (mb32) or 10 (mb64) bytes
//   textdata     mb32 count of UTF-16 code units, then that many UTF-16LE code units
//
// Names are not spelled out at each use: NAMEDEF adds a string to the name table (entries 1, 2, ...;
// entry 0 is the empty string) and QNAMEDEF adds a qualified name to the qname table (entries 1,
// 2, ...) as three name-table indexes: namespace uri, prefix, local name. Elements, attributes and
// qname values refer to qname entries; processing instructions to name entries. FLUSH empties both
// tables. These definition tokens, and EXTN, may stand between any two other tokens.

#include <cstdint>

namespace portalmend::binxml {

inline constexpr std::uint8_t kSignature0 = 0xDF;
inline constexpr std::uint8_t kSignature1 = 0xFF;
inline constexpr std::uint8_t kVersion1 = 0x01;
inline constexpr std::uint8_t kVersion2 = 0x02;
inline constexpr std::uint16_t kCodePageUtf16 = 1200;
inline constexpr std::size_t kHeaderSize = 5;
inline constexpr std::size_t kVersionOffset = 2;
inline constexpr std::size_t kCodePageOffset = 3;

// Structure tokens.
enum Token : std::uint8_t {
  kXmlDecl = 0xFE,        // textdata version, [ENCODING textdata], standalone byte (0 none, 1 yes, 2 no)
  kEncoding = 0xFD,       // textdata
  kDocType = 0xFC,        // textdata name, then optional SYSTEM, PUBLIC and SUBSET
  kSystem = 0xFB,         // textdata
  kPublic = 0xFA,         // textdata
  kSubset = 0xF9,         // textdata
  kElement = 0xF8,        // mb32 qname; attributes; END-ATTRIBUTES only after at least one attribute
  kEndElement = 0xF7,     // -
  kAttribute = 0xF6,      // mb32 qname, then the value's atomic tokens
  kEndAttributes = 0xF5,  // -
  kPi = 0xF4,             // mb32 name (name table), textdata
  kComment = 0xF3,        // textdata
  kCData = 0xF2,          // textdata; repeats, then END-CDATA
  kEndCData = 0xF1,       // -
  kNameDef = 0xF0,        // textdata
  kQNameDef = 0xEF,       // mb32 namespace uri, mb32 prefix, mb32 local name
  kXmlText = 0xED,        // textdata: a piece of xml kept as text
  kNest = 0xEC,           // a whole binary xml document (header included) with its own tables
  kEndNest = 0xEB,        // -
  kExtension = 0xEA,      // mb32 length, then that many bytes of type information (skipped)
  kFlush = 0xE9,          // -
};

// Atomic value tokens (the text of elements and the values of attributes).
enum ValueToken : std::uint8_t {
  kSqlSmallInt = 0x01,       // 2 bytes, signed
  kSqlInt = 0x02,            // 4 bytes, signed
  kSqlReal = 0x03,           // 4-byte IEEE float
  kSqlFloat = 0x04,          // 8-byte IEEE double
  kSqlMoney = 0x05,          // 8 bytes, signed, units of 1/10000
  kSqlBit = 0x06,            // 1 byte
  kSqlTinyInt = 0x07,        // 1 byte, unsigned
  kSqlBigInt = 0x08,         // 8 bytes, signed
  kSqlUuid = 0x09,           // 16 bytes
  kSqlDecimal = 0x0A,        // mb64 length (7, 11, 15, 19), precision, scale, sign (1 = positive), 32-bit words
  kSqlNumeric = 0x0B,        // as decimal
  kSqlBinary = 0x0C,         // mb64 length, bytes
  kSqlChar = 0x0D,           // mb64 length, 4-byte code page, bytes (length counts the code page)
  kSqlNChar = 0x0E,          // textdata
  kSqlVarBinary = 0x0F,      // mb64 length, bytes
  kSqlVarChar = 0x10,        // as char
  kSqlNVarChar = 0x11,       // mb64 count of UTF-16 units, UTF-16LE (the text of untyped xml)
  kSqlDateTime = 0x12,       // 4-byte signed days from 1900-01-01, 4-byte ticks of 1/300 second
  kSqlSmallDateTime = 0x13,  // 2-byte days from 1900-01-01, 2-byte minutes
  kSqlSmallMoney = 0x14,     // 4 bytes, signed, units of 1/10000
  kSqlText = 0x16,           // as char
  kSqlImage = 0x17,          // as varbinary
  kSqlNText = 0x18,          // textdata
  kSqlUdt = 0x1B,            // mb64 length, bytes
  kXsdTimeOffset = 0x7A,     // scale, time, date, 16-bit zone minutes (date and time in UTC)
  kXsdDateTimeOffset = 0x7B, // scale, time, date, zone
  kXsdDateOffset = 0x7C,     // scale, time, date, zone
  kXsdTime2 = 0x7D,          // scale, time, date
  kXsdDateTime2 = 0x7E,      // scale, time, date
  kXsdDate2 = 0x7F,          // 3-byte days from 0001-01-01
  kXsdTime = 0x81,           // 8 bytes (packed fields, see the value formatter)
  kXsdDateTime = 0x82,       // 8 bytes
  kXsdDate = 0x83,           // 8 bytes
  kXsdBinHex = 0x84,         // mb64 length, bytes
  kXsdBase64 = 0x85,         // mb64 length, bytes
  kXsdBoolean = 0x86,        // 1 byte
  kXsdDecimal = 0x87,        // as decimal; printed without trailing zeros
  kXsdByte = 0x88,           // 1 byte, signed
  kXsdUnsignedShort = 0x89,  // 2 bytes
  kXsdUnsignedInt = 0x8A,    // 4 bytes
  kXsdUnsignedLong = 0x8B,   // 8 bytes
  kXsdQName = 0x8C,          // mb32 qname
};

}  // namespace portalmend::binxml
