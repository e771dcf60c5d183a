#pragma once
// Turning the bytes of a large-object value into display text.
//
// The whole value is rendered at once, after its pieces were joined, so that a UTF-16 unit or
// a character split across two text-page records reads as one.

#include <cstdint>
#include <string>

#include "storage/byte_reader.h"

namespace portalmend {

// How a value's bytes become text, chosen by the row reader from the column's type.
struct LobRenderOptions {
  // Binary types (varbinary, image, CLR types): uppercase hex digits without prefix.
  bool hex = false;
  // nvarchar(max), ntext: UTF-16 text.
  bool unicode = false;
  // sql_variant: the first byte is the base type and the value starts 8 bytes later.
  bool variant = false;
  // xml: the caller wants the raw pieces (for the binary xml converter) instead of text.
  bool collect = false;
};

// The options a column of this internal type code reads its large values with: binary types
// (binary 1, varbinary 16, image 25, CLR types 31-33) as hex digits, nvarchar 11 and ntext 19
// as UTF-16, sql_variant 20 as a variant, xml 34 as raw pieces; other types as 8-bit text.
LobRenderOptions LobRenderOptionsForType(std::uint32_t type_code);

// The value's text:
// - variant: base type 165/173 (varbinary/binary) as hex digits, 231/239 (nvarchar/nchar) as
//   UTF-16, anything else as 8-bit text, all from byte 8 on;
// - hex: hex digits of every byte;
// - unicode: UTF-16LE text (never squeezed to low bytes, so non-Latin text survives);
// - otherwise 8-bit text in the system ANSI code page (Windows-1252) up to the first zero
//   byte, except that bytes whose every odd byte is zero and whose even bytes are not (UTF-16
//   text stored in an 8-bit column's tree) are read as UTF-16.
std::string RenderLobBytes(ByteReader bytes, const LobRenderOptions& options);

// Uppercase hex digits, two per byte, without prefix.
std::string HexDigits(ByteReader bytes);

// Windows-1252 bytes as UTF-8, up to the first zero byte.
std::string AnsiToUtf8(ByteReader bytes);

}  // namespace portalmend
