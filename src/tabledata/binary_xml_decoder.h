#pragma once
// Turns a value of type xml, as SQL Server stores it (binary xml, see binary_xml_tokens.h), into
// the UTF-8 xml text SQL Server shows for it: "<a x=\"1\">text</a>", empty elements as "<a />",
// namespace declarations written where they are stored or first needed, no xml declaration.
//
// The decoder walks the tokens in one loop with an explicit stack of open elements, so deep
// nesting costs memory, not call depth, and it stops at the limits below. Bad data (a cut-off
// value, an unknown token, a length past the end, a name never defined) gives no text and a
// sentence that says what is wrong and where.

#include <cstddef>
#include <cstdint>
#include <string>

#include "storage/byte_reader.h"

namespace portalmend {

struct BinaryXmlLimits {
  // Deepest nesting of elements and embedded documents. SQL Server itself stores at most 128 levels.
  std::size_t max_depth = 4096;
  // Largest text produced; 0 means 64 MiB plus 256 bytes for every byte of input, which no real
  // value comes near, while it stops a few bytes that repeat one long name from filling memory.
  std::size_t max_text_bytes = 0;
};

struct BinaryXmlResult {
  bool ok = false;
  std::string text;          // the xml text (empty when !ok)
  std::string error;         // why decoding failed, a sentence
  std::size_t error_offset = 0;  // byte offset in the input where it failed
};

// True when the bytes start with the binary xml signature, version 1 or 2, and code page 1200.
bool LooksLikeBinaryXml(ByteReader bytes);

// Decodes one stored xml value.
BinaryXmlResult DecodeBinaryXml(ByteReader bytes, const BinaryXmlLimits& limits = {});

}  // namespace portalmend
