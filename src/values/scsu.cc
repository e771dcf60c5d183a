#include "values/scsu.h"

#include <array>
#include <optional>

namespace portalmend {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

// Quoting tags SQ0..SQ7 with a byte below 0x80 use these fixed windows.
constexpr std::array<char32_t, 8> kStaticWindows = {0x0000, 0x0080, 0x0100, 0x0300,
                                                    0x2000, 0x2080, 0x2100, 0x3000};
// Dynamic windows before any definition.
constexpr std::array<char32_t, 8> kDefaultDynamicWindows = {0x0080, 0x00C0, 0x0400, 0x0600,
                                                            0x0900, 0x3040, 0x30A0, 0xFF00};

// Tag bytes.
constexpr std::uint8_t kSq0 = 0x01, kSq7 = 0x08;
constexpr std::uint8_t kSdx = 0x0B, kSingleReserved = 0x0C, kSqu = 0x0E, kScu = 0x0F;
constexpr std::uint8_t kSc0 = 0x10, kSc7 = 0x17, kSd0 = 0x18, kSd7 = 0x1F;
constexpr std::uint8_t kUc0 = 0xE0, kUc7 = 0xE7, kUd0 = 0xE8, kUd7 = 0xEF;
constexpr std::uint8_t kUqu = 0xF0, kUdx = 0xF1, kUnicodeReserved = 0xF2;

// The offset named by the argument of SDn / UDn, or nothing for a reserved byte.
std::optional<char32_t> WindowOffset(std::uint8_t x) {
  if (x == 0x00) return std::nullopt;
  if (x <= 0x67) return char32_t{x} * 0x80;
  if (x <= 0xA7) return char32_t{x} * 0x80 + 0xAC00;
  switch (x) {
    case 0xF9: return 0x00C0;
    case 0xFA: return 0x0250;
    case 0xFB: return 0x0370;
    case 0xFC: return 0x0530;
    case 0xFD: return 0x3040;
    case 0xFE: return 0x30A0;
    case 0xFF: return 0xFF60;
    default: return std::nullopt;
  }
}

void PushCodePoint(std::u16string& out, char32_t c) {
  if (c < 0x10000) {
    out.push_back(static_cast<char16_t>(c));
  } else if (c <= 0x10FFFF) {
    c -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
  } else {
    out.push_back(kReplacement);
  }
}

class ScsuDecoder {
 public:
  explicit ScsuDecoder(ByteReader bytes) : in_(bytes), windows_(kDefaultDynamicWindows) {}

  std::u16string Run() {
    while (pos_ < in_.size()) {
      if (unicode_mode_) {
        UnicodeStep();
      } else {
        SingleByteStep();
      }
    }
    return std::move(out_);
  }

 private:
  std::optional<std::uint8_t> Next() {
    auto b = in_.u8(pos_);
    if (b) ++pos_;
    return b;
  }

  // Two bytes of a big-endian code unit.
  std::optional<char16_t> NextUnit() {
    auto hi = Next();
    auto lo = Next();
    if (!hi || !lo) return std::nullopt;
    return static_cast<char16_t>((*hi << 8) | *lo);
  }

  void DefineWindow(std::size_t n) {
    auto x = Next();
    active_ = n;
    auto offset = x ? WindowOffset(*x) : std::nullopt;
    if (offset) {
      windows_[n] = *offset;
    } else {
      out_.push_back(kReplacement);
    }
  }

  void DefineExtendedWindow() {
    auto h = Next();
    auto l = Next();
    if (!h || !l) {
      out_.push_back(kReplacement);
      return;
    }
    const std::size_t n = *h >> 5;
    windows_[n] = 0x10000 + 0x80 * ((char32_t{static_cast<std::uint8_t>(*h & 0x1F)} << 8) | *l);
    active_ = n;
  }

  void SingleByteStep() {
    const std::uint8_t b = *Next();
    if (b >= 0x80) {
      PushCodePoint(out_, windows_[active_] + (b - 0x80));
    } else if (b >= 0x20 || b == 0x00 || b == 0x09 || b == 0x0A || b == 0x0D) {
      out_.push_back(b);
    } else if (b >= kSq0 && b <= kSq7) {
      const std::size_t n = b - kSq0;
      auto c = Next();
      if (!c) {
        out_.push_back(kReplacement);
      } else if (*c < 0x80) {
        PushCodePoint(out_, kStaticWindows[n] + *c);
      } else {
        PushCodePoint(out_, windows_[n] + (*c - 0x80));
      }
    } else if (b == kSdx) {
      DefineExtendedWindow();
    } else if (b == kSqu) {
      auto unit = NextUnit();
      out_.push_back(unit ? *unit : kReplacement);
    } else if (b == kScu) {
      unicode_mode_ = true;
    } else if (b >= kSc0 && b <= kSc7) {
      active_ = b - kSc0;
    } else if (b >= kSd0 && b <= kSd7) {
      DefineWindow(b - kSd0);
    } else {  // kSingleReserved
      out_.push_back(kReplacement);
    }
  }

  void UnicodeStep() {
    const std::uint8_t b = *in_.u8(pos_);
    if (b >= kUc0 && b <= kUc7) {
      ++pos_;
      active_ = b - kUc0;
      unicode_mode_ = false;
    } else if (b >= kUd0 && b <= kUd7) {
      ++pos_;
      DefineWindow(b - kUd0);
      unicode_mode_ = false;
    } else if (b == kUqu) {
      ++pos_;
      auto unit = NextUnit();
      out_.push_back(unit ? *unit : kReplacement);
    } else if (b == kUdx) {
      ++pos_;
      DefineExtendedWindow();
      unicode_mode_ = false;
    } else if (b == kUnicodeReserved) {
      ++pos_;
      out_.push_back(kReplacement);
    } else {
      auto unit = NextUnit();
      out_.push_back(unit ? *unit : kReplacement);
    }
  }

  ByteReader in_;
  std::size_t pos_ = 0;
  std::array<char32_t, 8> windows_;
  std::size_t active_ = 0;
  bool unicode_mode_ = false;
  std::u16string out_;
};

}  // namespace

void AppendUtf8(std::string& out, char32_t c) {
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = kReplacement;
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

std::string Utf16ToUtf8(const std::u16string& units) {
  std::string out;
  out.reserve(units.size());
  for (std::size_t i = 0; i < units.size(); ++i) {
    const char32_t u = units[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00));
      ++i;
    } else {
      AppendUtf8(out, u);  // a lone surrogate becomes U+FFFD there
    }
  }
  return out;
}

std::string Utf16LeToUtf8(ByteReader bytes) {
  std::u16string units;
  units.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) units.push_back(*bytes.u16(i));
  return Utf16ToUtf8(units);
}

std::vector<std::uint8_t> Utf16ToLeBytes(const std::u16string& units) {
  std::vector<std::uint8_t> out;
  out.reserve(units.size() * 2);
  for (char16_t u : units) {
    out.push_back(static_cast<std::uint8_t>(u & 0xFF));
    out.push_back(static_cast<std::uint8_t>(u >> 8));
  }
  return out;
}

std::u16string DecodeScsuUnits(ByteReader bytes) { return ScsuDecoder(bytes).Run(); }

std::string DecodeScsu(ByteReader bytes) { return Utf16ToUtf8(DecodeScsuUnits(bytes)); }

std::vector<std::uint8_t> CompressedUnicodeToUtf16Le(ByteReader bytes) {
  if (bytes.size() % 2 == 0) return bytes.to_vector();
  return Utf16ToLeBytes(DecodeScsuUnits(bytes));
}

}  // namespace portalmend
