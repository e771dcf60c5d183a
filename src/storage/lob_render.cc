#include "storage/lob_render.h"

#include "values/scsu.h"

namespace portalmend {
namespace {

// Windows-1252 characters 0x80-0x9F (0 for the five unassigned bytes, shown as U+FFFD).
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

constexpr std::uint8_t kVariantVarbinary = 165, kVariantBinary = 173;
constexpr std::uint8_t kVariantNvarchar = 231, kVariantNchar = 239;
constexpr std::size_t kVariantHeader = 8;

// True for bytes that look like UTF-16 Latin text: an even count, every odd byte zero and
// no even byte zero.
bool LooksLikeUtf16(ByteReader bytes) {
  if (bytes.size() < 2 || bytes.size() % 2 != 0) return false;
  for (std::size_t i = 0; i < bytes.size(); i += 2) {
    if (*bytes.u8(i) == 0 || *bytes.u8(i + 1) != 0) return false;
  }
  return true;
}

}  // namespace

LobRenderOptions LobRenderOptionsForType(std::uint32_t type_code) {
  LobRenderOptions options;
  switch (type_code) {
    case 1: case 16: case 25: case 31: case 32: case 33: options.hex = true; break;
    case 11: case 19: options.unicode = true; break;
    case 20: options.variant = true; break;
    case 34: options.collect = true; break;
    default: break;
  }
  return options;
}

std::string HexDigits(ByteReader bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out(bytes.size() * 2, '0');
  const std::uint8_t* data = bytes.data();
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    out[2 * i] = kDigits[data[i] >> 4];
    out[2 * i + 1] = kDigits[data[i] & 0x0F];
  }
  return out;
}

std::string AnsiToUtf8(ByteReader bytes) {
  std::string out;
  out.reserve(bytes.size());
  const std::uint8_t* data = bytes.data();
  for (std::size_t i = 0; i < bytes.size() && data[i] != 0; ++i) {
    const std::uint8_t b = data[i];
    if (b < 0x80) {
      out.push_back(static_cast<char>(b));
    } else if (b < 0xA0) {
      const char16_t c = kCp1252High[b - 0x80];
      AppendUtf8(out, c ? c : 0xFFFD);
    } else {
      AppendUtf8(out, b);
    }
  }
  return out;
}

std::string RenderLobBytes(ByteReader bytes, const LobRenderOptions& options) {
  if (options.variant) {
    const std::uint8_t base = bytes.u8_or(0);
    const ByteReader value = bytes.tail(kVariantHeader);
    if (base == kVariantVarbinary || base == kVariantBinary) return HexDigits(value);
    if (base == kVariantNvarchar || base == kVariantNchar) return Utf16LeToUtf8(value);
    return AnsiToUtf8(value);
  }
  if (options.hex) return HexDigits(bytes);
  if (options.unicode || LooksLikeUtf16(bytes)) return Utf16LeToUtf8(bytes);
  return AnsiToUtf8(bytes);
}

}  // namespace portalmend
