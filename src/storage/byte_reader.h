#pragma once
// A bounded view of bytes taken from a data file, with checked little-endian getters.
//
// Every read of on-disk bytes goes through this class, so that a read outside the
// bytes that were actually read from the file is impossible by construction: a getter
// whose field does not lie wholly inside the view returns nothing (std::nullopt), and
// the *_or getters return the caller's fallback instead.

#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <type_traits>
#include <vector>

namespace portalmend {

class ByteReader {
 public:
  ByteReader() = default;
  ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(data ? size : 0) {}
  explicit ByteReader(std::span<const std::uint8_t> bytes) : ByteReader(bytes.data(), bytes.size()) {}
  explicit ByteReader(const std::vector<std::uint8_t>& bytes) : ByteReader(bytes.data(), bytes.size()) {}

  // Number of bytes in the view.
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  const std::uint8_t* data() const { return data_; }

  // True when [offset, offset + length) lies inside the view.
  bool has(std::size_t offset, std::size_t length) const {
    return offset <= size_ && length <= size_ - offset;
  }

  std::optional<std::uint8_t> u8(std::size_t offset) const { return get<std::uint8_t>(offset); }
  std::optional<std::uint16_t> u16(std::size_t offset) const { return get<std::uint16_t>(offset); }
  std::optional<std::uint32_t> u32(std::size_t offset) const { return get<std::uint32_t>(offset); }
  std::optional<std::uint64_t> u64(std::size_t offset) const { return get<std::uint64_t>(offset); }
  std::optional<std::int8_t> i8(std::size_t offset) const { return get<std::int8_t>(offset); }
  std::optional<std::int16_t> i16(std::size_t offset) const { return get<std::int16_t>(offset); }
  std::optional<std::int32_t> i32(std::size_t offset) const { return get<std::int32_t>(offset); }
  std::optional<std::int64_t> i64(std::size_t offset) const { return get<std::int64_t>(offset); }

  // Getters that give a fallback for a field outside the view.
  std::uint8_t u8_or(std::size_t offset, std::uint8_t fallback = 0) const { return u8(offset).value_or(fallback); }
  std::uint16_t u16_or(std::size_t offset, std::uint16_t fallback = 0) const { return u16(offset).value_or(fallback); }
  std::uint32_t u32_or(std::size_t offset, std::uint32_t fallback = 0) const { return u32(offset).value_or(fallback); }
  std::uint64_t u64_or(std::size_t offset, std::uint64_t fallback = 0) const { return u64(offset).value_or(fallback); }
  std::int16_t i16_or(std::size_t offset, std::int16_t fallback = 0) const { return i16(offset).value_or(fallback); }
  std::int32_t i32_or(std::size_t offset, std::int32_t fallback = 0) const { return i32(offset).value_or(fallback); }
  std::int64_t i64_or(std::size_t offset, std::int64_t fallback = 0) const { return i64(offset).value_or(fallback); }

  // A little-endian unsigned integer of 1 to 8 bytes (compressed and variable-width fields).
  std::optional<std::uint64_t> uint_n(std::size_t offset, std::size_t width) const {
    if (width == 0 || width > 8 || !has(offset, width)) return std::nullopt;
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < width; ++i) value |= std::uint64_t{data_[offset + i]} << (8 * i);
    return value;
  }

  // The sub-view [offset, offset + length), or nothing when it does not fit.
  std::optional<ByteReader> sub(std::size_t offset, std::size_t length) const {
    if (!has(offset, length)) return std::nullopt;
    return ByteReader(data_ + offset, length);
  }

  // The sub-view from offset to the end (empty when offset is past the end).
  ByteReader tail(std::size_t offset) const {
    if (offset >= size_) return ByteReader();
    return ByteReader(data_ + offset, size_ - offset);
  }

  // The sub-view [offset, offset + length) cut to what exists.
  ByteReader clamp(std::size_t offset, std::size_t length) const {
    if (offset >= size_) return ByteReader();
    return ByteReader(data_ + offset, std::min(length, size_ - offset));
  }

  // A copy of [offset, offset + length), or nothing when it does not fit.
  std::optional<std::vector<std::uint8_t>> copy(std::size_t offset, std::size_t length) const {
    if (!has(offset, length)) return std::nullopt;
    return std::vector<std::uint8_t>(data_ + offset, data_ + offset + length);
  }

  std::vector<std::uint8_t> to_vector() const { return std::vector<std::uint8_t>(data_, data_ + size_); }
  std::span<const std::uint8_t> span() const { return {data_, size_}; }

 private:
  template <typename T>
  std::optional<T> get(std::size_t offset) const {
    static_assert(std::is_integral_v<T>);
    if (!has(offset, sizeof(T))) return std::nullopt;
    std::make_unsigned_t<T> raw = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) {
      raw = static_cast<std::make_unsigned_t<T>>(raw | (std::make_unsigned_t<T>(data_[offset + i]) << (8 * i)));
    }
    return static_cast<T>(raw);
  }

  const std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace portalmend
