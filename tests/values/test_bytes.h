#pragma once
// Small helpers that lay out value bytes the way SQL Server stores them (little-endian).

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace portalmend::test {

using Bytes = std::vector<std::uint8_t>;

// The low `width` bytes of `value`, least significant first.
inline Bytes le(std::uint64_t value, std::size_t width) {
  Bytes out;
  for (std::size_t i = 0; i < width; ++i) out.push_back(i < 8 ? static_cast<std::uint8_t>(value >> (8 * i)) : 0);
  return out;
}

// The concatenation of byte runs.
inline Bytes cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

// The bytes of a string as they are (8-bit text).
inline Bytes raw(const std::string& text) { return Bytes(text.begin(), text.end()); }

// UTF-16LE code units.
inline Bytes utf16(std::initializer_list<char16_t> units) {
  Bytes out;
  for (char16_t u : units) {
    out.push_back(static_cast<std::uint8_t>(u & 0xFF));
    out.push_back(static_cast<std::uint8_t>(u >> 8));
  }
  return out;
}

// UTF-16LE of a UTF-16 string literal (u"...").
inline Bytes utf16(const std::u16string& text) {
  Bytes out;
  for (char16_t u : text) {
    out.push_back(static_cast<std::uint8_t>(u & 0xFF));
    out.push_back(static_cast<std::uint8_t>(u >> 8));
  }
  return out;
}

// Bytes from hexadecimal digits ("0A1B..."); blanks are ignored.
inline Bytes hex(const std::string& digits) {
  Bytes out;
  int high = -1;
  for (char c : digits) {
    int v;
    if (c >= '0' && c <= '9') v = c - '0';
    else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
    else continue;
    if (high < 0) {
      high = v;
    } else {
      out.push_back(static_cast<std::uint8_t>(high * 16 + v));
      high = -1;
    }
  }
  return out;
}

}  // namespace portalmend::test
