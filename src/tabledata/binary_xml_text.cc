#include "tabledata/binary_xml_text.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <string_view>

#include "values/scsu.h"

namespace portalmend::binxml {
namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;
constexpr char kHexDigits[] = "0123456789ABCDEF";

// Writes a character reference such as "&#xD;" for a control character.
void AppendCharacterReference(char32_t c, std::string& out) {
  out += "&#x";
  if (c >= 0x10) out.push_back(kHexDigits[(c >> 4) & 0xF]);
  out.push_back(kHexDigits[c & 0xF]);
  out.push_back(';');
}

// Appends one character below U+0080, escaped for `escape`.
inline void AppendAscii(char32_t c, Escape escape, std::string& out) {
  if (escape != Escape::kNone) {
    switch (c) {
      case '&': out += "&amp;"; return;
      case '<': out += "&lt;"; return;
      case '>': out += "&gt;"; return;
      case '"':
        if (escape == Escape::kAttribute) {
          out += "&quot;";
          return;
        }
        break;
      case '\t':
      case '\n':
        if (escape == Escape::kAttribute) {
          AppendCharacterReference(c, out);
          return;
        }
        break;
      default:
        // Carriage returns and the other control characters cannot stand as themselves:
        // an xml reader would drop or reject them.
        if (c < 0x20) {
          AppendCharacterReference(c, out);
          return;
        }
        break;
    }
  }
  out.push_back(static_cast<char>(c));
}

// A table of the ASCII characters that pass unchanged in element text and attribute values.
struct PlainTable {
  std::array<bool, 128> text{};
  std::array<bool, 128> attribute{};
  constexpr PlainTable() {
    for (int c = 0x20; c < 0x80; ++c) text[c] = attribute[c] = true;
    text['\t'] = text['\n'] = true;
    text['&'] = text['<'] = text['>'] = false;
    attribute['&'] = attribute['<'] = attribute['>'] = attribute['"'] = false;
  }
};
constexpr PlainTable kPlain;

inline bool IsPlain(char32_t c, Escape escape) {
  if (c >= 0x80) return true;
  switch (escape) {
    case Escape::kNone: return true;
    case Escape::kText: return kPlain.text[c];
    case Escape::kAttribute: return kPlain.attribute[c];
  }
  return true;
}

// The iconv name of a Windows code page.
std::string IconvName(std::uint32_t code_page) {
  switch (code_page) {
    case 65001: return "UTF-8";
    case 1200: return "UTF-16LE";
    case 1201: return "UTF-16BE";
    case 20127: return "ASCII";
    case 20866: return "KOI8-R";
    case 21866: return "KOI8-U";
    case 51932: return "EUC-JP";
    case 51949: return "EUC-KR";
    case 54936: return "GB18030";
    default: break;
  }
  if (code_page >= 28591 && code_page <= 28605) return "ISO-8859-" + std::to_string(code_page - 28590);
  return "CP" + std::to_string(code_page);
}

}  // namespace

void AppendUtf16(ByteReader utf16, std::size_t units, Escape escape, std::string& out) {
  const ByteReader text = utf16.clamp(0, units * 2);  // units never exceeds the view: callers check
  const std::size_t count = text.size() / 2;
  const std::uint8_t* p = text.data();
  for (std::size_t i = 0; i < count; ++i) {
    char32_t c = static_cast<char32_t>(p[2 * i] | (p[2 * i + 1] << 8));
    if (c < 0x80) {
      if (IsPlain(c, escape)) {
        out.push_back(static_cast<char>(c));
      } else {
        AppendAscii(c, escape, out);
      }
      continue;
    }
    if (c >= 0xD800 && c <= 0xDFFF) {
      char32_t low = 0;
      if (c <= 0xDBFF && i + 1 < count) low = static_cast<char32_t>(p[2 * i + 2] | (p[2 * i + 3] << 8));
      if (low >= 0xDC00 && low <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      } else {
        c = kReplacementCharacter;
      }
    }
    AppendUtf8(out, c);
  }
}

void AppendEscaped(std::string_view utf8, Escape escape, std::string& out) {
  if (escape == Escape::kNone) {
    out.append(utf8);
    return;
  }
  for (const char ch : utf8) {
    const auto c = static_cast<unsigned char>(ch);
    if (c >= 0x80 || IsPlain(c, escape)) {
      out.push_back(ch);
    } else {
      AppendAscii(c, escape, out);
    }
  }
}

void AppendCodePageText(ByteReader bytes, std::uint32_t code_page, Escape escape, std::string& out) {
  iconv_t cd = iconv_open("UTF-8", IconvName(code_page).c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) cd = iconv_open("UTF-8", "CP1252");
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    // No converter at all: read the bytes as Latin-1, which maps every byte.
    std::string utf8;
    for (const std::uint8_t b : bytes.span()) AppendUtf8(utf8, b);
    AppendEscaped(utf8, escape, out);
    return;
  }
  std::string utf8;
  std::array<char, 4096> buffer;
  // iconv takes a non-const input pointer but does not write through it.
  char* in = reinterpret_cast<char*>(const_cast<std::uint8_t*>(bytes.data()));
  std::size_t in_left = bytes.size();
  while (in_left > 0) {
    char* to = buffer.data();
    std::size_t to_left = buffer.size();
    const std::size_t done = iconv(cd, &in, &in_left, &to, &to_left);
    utf8.append(buffer.data(), static_cast<std::size_t>(to - buffer.data()));
    if (done != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) continue;
    // An invalid or cut-off sequence: mark it and go on with the next byte.
    AppendUtf8(utf8, kReplacementCharacter);
    ++in;
    --in_left;
  }
  iconv_close(cd);
  AppendEscaped(utf8, escape, out);
}

}  // namespace portalmend::binxml
