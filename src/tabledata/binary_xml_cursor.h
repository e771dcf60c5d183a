#pragma once
// A read position in binary xml bytes, with the format's building blocks: single bytes, the
// variable-length integers mb32 and mb64, and runs of UTF-16 text. Every read is checked against
// the end of the bytes; a read that does not fit returns nothing and leaves the position alone.

#include <cstddef>
#include <cstdint>
#include <optional>

#include "storage/byte_reader.h"

namespace portalmend::binxml {

class Cursor {
 public:
  explicit Cursor(ByteReader bytes, std::size_t position = 0) : bytes_(bytes), position_(position) {}

  std::size_t position() const { return position_; }
  void set_position(std::size_t position) { position_ = position; }
  bool at_end() const { return position_ >= bytes_.size(); }
  std::size_t remaining() const { return at_end() ? 0 : bytes_.size() - position_; }
  const ByteReader& bytes() const { return bytes_; }

  std::optional<std::uint8_t> Peek() const { return bytes_.u8(position_); }

  std::optional<std::uint8_t> Byte() {
    const auto value = bytes_.u8(position_);
    if (value) ++position_;
    return value;
  }

  // An mb32: at most 5 bytes, and the value must fit in 32 bits.
  std::optional<std::uint32_t> Mb32() {
    const auto value = Varint(5);
    if (!value || *value > UINT32_MAX) return std::nullopt;
    return static_cast<std::uint32_t>(*value);
  }

  // An mb64: at most 10 bytes, and the value must fit in 64 bits.
  std::optional<std::uint64_t> Mb64() { return Varint(10); }

  // The next `length` bytes as a view, or nothing when fewer remain.
  std::optional<ByteReader> Take(std::uint64_t length) {
    if (length > remaining()) return std::nullopt;
    auto view = bytes_.sub(position_, static_cast<std::size_t>(length));
    if (view) position_ += static_cast<std::size_t>(length);
    return view;
  }

  // The next `units` UTF-16 code units (2 bytes each).
  std::optional<ByteReader> Utf16(std::uint64_t units) {
    if (units > remaining() / 2) return std::nullopt;
    return Take(units * 2);
  }

  // textdata: an mb32 count of UTF-16 code units, then the units.
  std::optional<ByteReader> TextData() {
    const std::size_t start = position_;
    const auto units = Mb32();
    if (!units) return std::nullopt;
    auto text = Utf16(*units);
    if (!text) position_ = start;
    return text;
  }

 private:
  std::optional<std::uint64_t> Varint(int max_bytes) {
    std::uint64_t value = 0;
    std::size_t at = position_;
    for (int i = 0; i < max_bytes; ++i) {
      const auto byte = bytes_.u8(at++);
      if (!byte) return std::nullopt;
      const std::uint64_t group = *byte & 0x7F;
      const int shift = 7 * i;
      if (shift == 63 && group > 1) return std::nullopt;  // would not fit in 64 bits
      value |= group << shift;
      if ((*byte & 0x80) == 0) {
        position_ = at;
        return value;
      }
    }
    return std::nullopt;  // too many bytes
  }

  ByteReader bytes_;
  std::size_t position_ = 0;
};

}  // namespace portalmend::binxml
