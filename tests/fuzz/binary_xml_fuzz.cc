// Fuzz target for the binary xml decoder and the xml text component: any bytes must decode to
// well-formed UTF-8 text or fail with a reason, never crash, hang or read outside the input; and
// the same bytes handed over as two large-object pieces must give the same text.

#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <vector>

#include "tabledata/binary_xml_component.h"
#include "tabledata/binary_xml_decoder.h"

namespace {

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "binary xml fuzz target: %s\n", what);
    std::abort();
  }
}

bool IsUtf8(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto b = static_cast<unsigned char>(text[i]);
    std::size_t extra = 0;
    char32_t c = b;
    if (b < 0x80) {
      ++i;
      continue;
    } else if ((b & 0xE0) == 0xC0) {
      extra = 1;
      c = b & 0x1F;
    } else if ((b & 0xF0) == 0xE0) {
      extra = 2;
      c = b & 0x0F;
    } else if ((b & 0xF8) == 0xF0) {
      extra = 3;
      c = b & 0x07;
    } else {
      return false;
    }
    if (i + extra >= text.size()) return false;
    for (std::size_t k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      c = (c << 6) | (next & 0x3F);
    }
    const char32_t min[] = {0, 0x80, 0x800, 0x10000};
    if (c < min[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    i += extra + 1;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace portalmend;
  // A bounded text keeps every run short; real values never come near it.
  BinaryXmlLimits limits;
  limits.max_text_bytes = 4u << 20;
  const BinaryXmlResult result = DecodeBinaryXml(ByteReader(data, size), limits);
  if (!result.ok) {
    Check(result.text.empty(), "a failed decoding left text behind");
    Check(!result.error.empty(), "a failed decoding gave no reason");
    Check(result.error_offset <= size, "the failure offset lies past the input");
    return 0;
  }
  Check(IsUtf8(result.text), "the text is not well-formed UTF-8");

  // The same bytes as two pieces, cut where the first byte after the header says.
  const std::size_t cut = size > 5 ? data[5] % size : 0;
  std::vector<XmlPiece> pieces(2);
  pieces[0].buffer.assign(data, data + cut);
  pieces[0].length = static_cast<std::int64_t>(cut);
  pieces[1].buffer.assign(data + cut, data + size);
  pieces[1].length = static_cast<std::int64_t>(size - cut);
  Check(ConvertXmlPieces(pieces) == result.text, "the pieces gave another text than the whole value");
  return 0;
}
