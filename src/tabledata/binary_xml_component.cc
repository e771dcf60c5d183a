#include "tabledata/binary_xml_component.h"

#include <algorithm>
#include <limits>

#include "tabledata/binary_xml_decoder.h"

namespace portalmend {

XmlResultCode CXmlTextComponent::Convert(ByteReader bytes, std::int32_t byte_count, std::int32_t first_constant,
                                         std::int32_t second_constant, std::string* text) {
  failure_.clear();
  if (text == nullptr) {
    failure_ = "No place was given for the text.";
    return kXmlInvalidArgument;
  }
  text->clear();
  if (first_constant != kXmlConvertConstantFirst || second_constant != kXmlConvertConstantSecond) {
    failure_ = "The conversion was called with constants other than 19 and 12.";
    return kXmlInvalidArgument;
  }
  if (byte_count < 0 || static_cast<std::size_t>(byte_count) > bytes.size()) {
    failure_ = "The byte count does not fit the byte array.";
    return kXmlInvalidArgument;
  }
  BinaryXmlResult result = DecodeBinaryXml(bytes.clamp(0, static_cast<std::size_t>(byte_count)));
  if (!result.ok) {
    failure_ = result.error + " (at byte " + std::to_string(result.error_offset) + ")";
    return kXmlInvalidData;
  }
  *text = std::move(result.text);
  return kXmlOk;
}

namespace {

std::string ConvertJoined(ByteReader bytes) {
  if (bytes.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) return {};
  CXmlTextComponent component;
  std::string text;
  if (component.Convert(bytes, static_cast<std::int32_t>(bytes.size()), kXmlConvertConstantFirst,
                        kXmlConvertConstantSecond, &text) != kXmlOk) {
    return {};
  }
  return text;
}

// The bytes of a piece that take part: its length, cut to what its buffer holds.
std::size_t UsableLength(const XmlPiece& piece) {
  if (piece.length <= 0) return 0;
  return std::min(static_cast<std::size_t>(piece.length), piece.buffer.size());
}

void Release(XmlPiece& piece) {
  std::vector<std::uint8_t>().swap(piece.buffer);
  piece.length = 0;
}

}  // namespace

std::string ConvertXmlPieces(std::vector<XmlPiece>& pieces) {
  std::int64_t total = 0;
  for (const XmlPiece& piece : pieces) total += static_cast<std::int64_t>(UsableLength(piece));
  if (pieces.empty() || total <= 0 || total > std::numeric_limits<std::int32_t>::max()) {
    for (XmlPiece& piece : pieces) Release(piece);
    return {};
  }
  std::vector<std::uint8_t> joined;
  joined.reserve(static_cast<std::size_t>(total));
  for (XmlPiece& piece : pieces) {
    joined.insert(joined.end(), piece.buffer.begin(),
                  piece.buffer.begin() + static_cast<std::ptrdiff_t>(UsableLength(piece)));
    Release(piece);
  }
  return ConvertJoined(ByteReader(joined));
}

std::string ConvertXmlPieces(std::vector<std::vector<std::uint8_t>>& pieces) {
  std::vector<XmlPiece> owned;
  owned.reserve(pieces.size());
  for (std::vector<std::uint8_t>& buffer : pieces) {
    XmlPiece piece;
    piece.length = static_cast<std::int64_t>(buffer.size());
    piece.buffer = std::move(buffer);
    std::vector<std::uint8_t>().swap(buffer);
    owned.push_back(std::move(piece));
  }
  return ConvertXmlPieces(owned);
}

std::string ConvertXmlBytes(const std::uint8_t* bytes, std::size_t length) {
  return ConvertJoined(ByteReader(bytes, length));
}

std::string ConvertXmlBytes(ByteReader bytes) { return ConvertJoined(bytes); }

}  // namespace portalmend
