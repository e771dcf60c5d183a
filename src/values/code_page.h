#pragma once
// Text conversion into UTF-8: 8-bit text in a Windows code page (through iconv) and UTF-16LE.
//
// char, varchar and text values are stored as 8-bit text in the code page of the column's
// collation (1252 for Latin1_General, 932 for Japanese, 65001 for the _UTF8 collations...);
// nchar, nvarchar and ntext values are UTF-16LE.

#include <cstdint>
#include <string>

#include "storage/byte_reader.h"

namespace portalmend {

// The iconv name of a Windows code page ("CP1252", "CP932", "UTF-8" for 65001), or empty
// for code page 0 (a Unicode-only collation has no 8-bit code page).
std::string iconv_name_of_code_page(std::int32_t code_page);

// True when 8-bit text of `code_page` can be converted on this system.
bool code_page_supported(std::int32_t code_page);

// 8-bit text of `code_page` up to the first zero byte, as UTF-8. A code page this system
// cannot convert is read as Windows-1252. A byte sequence the code page does not define
// becomes U+FFFD and conversion goes on with the next byte.
std::string eight_bit_text(const ByteReader& bytes, std::int32_t code_page);

// UTF-16LE text up to the first zero code unit, as UTF-8 (a lone surrogate gives U+FFFD,
// an odd trailing byte is ignored).
std::string utf16_text(const ByteReader& bytes);

}  // namespace portalmend
