#pragma once
// The xml text component: turns SQL Server's binary xml into the text of the value.
//
// The row readers and the value formatter reach it through two entry points:
//   ConvertXmlPieces  the pieces of an xml large object, in order (joined, then converted)
//   ConvertXmlBytes   an xml value stored in the record itself
// Both return the UTF-8 text, or the empty text when the bytes are not binary xml; nothing is
// reported. Under them lies one conversion call with a fixed shape: the byte array, the count of
// bytes that hold the value, the two constants 19 and 12, an out text and a result code.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "storage/byte_reader.h"

namespace portalmend {

// Result codes of the conversion call: zero is success, negative values are failures.
using XmlResultCode = std::int32_t;
inline constexpr XmlResultCode kXmlOk = 0;
inline constexpr XmlResultCode kXmlInvalidArgument = static_cast<XmlResultCode>(0x80070057u);
inline constexpr XmlResultCode kXmlInvalidData = static_cast<XmlResultCode>(0x8007000Du);

// The two constants every caller passes, unchanged, to the conversion call.
inline constexpr std::int32_t kXmlConvertConstantFirst = 19;
inline constexpr std::int32_t kXmlConvertConstantSecond = 12;

class CXmlTextComponent {
 public:
  // Converts the first `byte_count` bytes of `bytes` into `*text`. Returns kXmlInvalidArgument
  // when the count is negative or larger than the array, the constants are not 19 and 12, or
  // `text` is null; kXmlInvalidData (and an empty text) when the bytes cannot be decoded.
  XmlResultCode Convert(ByteReader bytes, std::int32_t byte_count, std::int32_t first_constant,
                        std::int32_t second_constant, std::string* text);

  // Why the last conversion failed, as a sentence; empty after a success.
  const std::string& failure() const { return failure_; }

 private:
  std::string failure_;
};

// One run of bytes of a large object: a length and the buffer that holds it.
struct XmlPiece {
  std::int64_t length = 0;
  std::vector<std::uint8_t> buffer;
};

// Joins the pieces in list order and converts them. Each piece's buffer is released once copied.
// No piece, or a total length of 0 or less, gives the empty text without a conversion. A length
// beyond its buffer counts only the bytes the buffer holds.
std::string ConvertXmlPieces(std::vector<XmlPiece>& pieces);

// The same for pieces as the large-object reader collects them (each buffer is one whole piece).
std::string ConvertXmlPieces(std::vector<std::vector<std::uint8_t>>& pieces);

// Converts a value stored in the record.
std::string ConvertXmlBytes(const std::uint8_t* bytes, std::size_t length);
std::string ConvertXmlBytes(ByteReader bytes);

}  // namespace portalmend
