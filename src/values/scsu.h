#pragma once
// Unicode text of compressed nchar/nvarchar values (Standard Compression Scheme for Unicode).
//
// Row- and page-compressed tables keep nchar(n)/nvarchar(n) values either as plain UTF-16LE
// (an even number of bytes) or compressed with SCSU (an odd number of bytes; SQL Server pads an
// even SCSU output with a trailing 0x10, a tag that selects window 0 and yields no character).
// Each value is decoded from the initial state: single-byte mode, dynamic window 0 active.
//
// Tags in single-byte mode          Tags in Unicode mode
// 0x01-0x08 SQn  quote from window n  0xE0-0xE7 UCn  window n, single-byte mode
// 0x0B      SDX  define extended win  0xE8-0xEF UDn  define window n, single-byte mode
// 0x0C      reserved                  0xF0      UQU  quote one UTF-16BE unit
// 0x0E      SQU  quote UTF-16BE unit  0xF1      UDX  define extended window
// 0x0F      SCU  Unicode mode         0xF2      reserved
// 0x10-0x17 SCn  select window n      other     first byte of a UTF-16BE unit
// 0x18-0x1F SDn  define window n
// 0x80-0xFF      char of active window

#include <cstdint>
#include <string>
#include <vector>

#include "storage/byte_reader.h"

namespace portalmend {

// The UTF-16 code units of an SCSU byte string. Reserved tags, reserved window offsets and a
// tag cut off by the end of the value give U+FFFD and decoding goes on with the next byte, so
// that a damaged value still shows everything around the damage.
std::u16string DecodeScsuUnits(ByteReader bytes);

// The same value as UTF-8 text (surrogate pairs combined; a lone surrogate becomes U+FFFD).
std::string DecodeScsu(ByteReader bytes);

// UTF-16 code units as UTF-8 text, up to the end (zero units included).
std::string Utf16ToUtf8(const std::u16string& units);

// UTF-16LE bytes as UTF-8 text; a trailing odd byte is ignored.
std::string Utf16LeToUtf8(ByteReader bytes);

// UTF-16 code units as UTF-16LE bytes.
std::vector<std::uint8_t> Utf16ToLeBytes(const std::u16string& units);

// A compressed Unicode column value as UTF-16LE bytes: an even length is already UTF-16LE,
// an odd length is SCSU and is expanded.
std::vector<std::uint8_t> CompressedUnicodeToUtf16Le(ByteReader bytes);

// Appends one code point to UTF-8 text.
void AppendUtf8(std::string& out, char32_t code_point);

}  // namespace portalmend
