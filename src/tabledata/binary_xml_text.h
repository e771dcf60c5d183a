#pragma once
// Writing the UTF-16 text held in binary xml as UTF-8 xml text, escaped for where it lands.

#include <cstddef>
#include <cstdint>
#include <string>

#include "storage/byte_reader.h"

namespace portalmend::binxml {

// Where a piece of text is written, which decides what must be escaped.
enum class Escape {
  kNone,       // names, comments, processing instructions, CDATA, embedded xml text: as stored
  kText,       // element content: & < > and carriage return; other control characters as &#x..;
  kAttribute,  // attribute values (in double quotes): & < > " and tab, line feed, carriage return
};

// Appends `units` UTF-16LE code units that start at the beginning of `utf16` (which holds at least
// 2 * units bytes) to `out` as UTF-8. An unpaired surrogate becomes U+FFFD.
void AppendUtf16(ByteReader utf16, std::size_t units, Escape escape, std::string& out);

// Appends UTF-8 text to `out`, escaped for `escape`.
void AppendEscaped(std::string_view utf8, Escape escape, std::string& out);

// Appends 8-bit text of the Windows code page `code_page` as UTF-8 (escaped). A code page the
// system cannot convert is read as Windows-1252; a byte that does not convert becomes U+FFFD.
void AppendCodePageText(ByteReader bytes, std::uint32_t code_page, Escape escape, std::string& out);

}  // namespace portalmend::binxml
