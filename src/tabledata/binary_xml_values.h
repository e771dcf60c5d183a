#pragma once
// The atomic values of binary xml (the text of elements and the values of attributes) and the
// text SQL Server shows for each.
//
// Payload of each value token (after the token byte; all integers little-endian):
//
//   token(s)                    payload
//   01 / 89                     2 bytes: signed smallint / unsigned short
//   02 / 8A                     4 bytes: signed int / unsigned int
//   08 / 8B                     8 bytes: signed bigint / unsigned long
//   07 / 88                     1 byte: unsigned tinyint / signed byte
//   06 / 86                     1 byte: bit ("0", "1") / boolean ("false", "true")
//   03 / 04                     4-byte float / 8-byte double (shortest text that reads back the same)
//   05 / 14                     8 / 4 bytes signed, units of 1/10000 (money: 4 decimals)
//   09                          16 bytes: uniqueidentifier (first three groups little-endian)
//   0A 0B 87                    mb64 length L (3 + 4n, n 1..4), precision, scale, sign (0 = negative),
//                               n 32-bit words of the magnitude, least significant first
//   0C 0F 17 1B 85              mb64 length, bytes: shown as base64
//   84                          mb64 length, bytes: shown as hexadecimal digits
//   0D 10 16                    mb64 length L (>= 4), 4-byte code page, L - 4 bytes of 8-bit text
//   0E 18                       textdata (mb32 count of UTF-16 units, units)
//   11                          mb64 count of UTF-16 units, units
//   12                          4-byte signed days from 1900-01-01, 4-byte ticks of 1/300 s
//   13                          2-byte days from 1900-01-01, 2-byte minutes
//   7F                          3-byte days from 0001-01-01
//   7D 7E                       scale s (0..7), time (3, 3, 3, 4, 4, 5, 5, 5 bytes for s = 0..7) in
//                               units of 10^-s seconds, 3-byte days from 0001-01-01
//   7A 7B 7C                    as 7E, then 16-bit signed zone offset in minutes; date and time in UTC
//   81 82 83                    8 bytes: see FormatXsdTime / FormatXsdDateTime / FormatXsdDate
//   8C                          mb32 qname (handled by the decoder, which owns the qname table)

#include <cstdint>
#include <string>

#include "tabledata/binary_xml_cursor.h"
#include "tabledata/binary_xml_text.h"

namespace portalmend::binxml {

// True for the tokens that carry an atomic value (XSD_QNAME included).
bool IsValueToken(std::uint8_t token);

// True for the value tokens that hold text. Consecutive text tokens are pieces of one string and
// are joined as they are; consecutive typed values are items of a list and are joined by a space.
bool IsTextValueToken(std::uint8_t token);

// Reads the payload of value `token` (not XSD_QNAME) at the cursor, which stands just after the
// token byte, and appends the value's text to `out`, escaped for `escape`. On bad or cut-off
// data it returns false with a sentence in `error`; the cursor is then undefined.
bool AppendValue(std::uint8_t token, Cursor& cursor, Escape escape, std::string& out, std::string& error);

// Text of numbers as written in xml: shortest form that reads back as the same value, with an
// exponent ("1E+20", "1E-05") only outside the range plain digits show well; "INF", "-INF", "NaN".
std::string FormatDouble(double value);
std::string FormatFloat(float value);

}  // namespace portalmend::binxml
