#pragma once
// Reads the INSERT statements of a sample database's install script into rows, and turns
// both a script literal and a shown value into one comparable key per column type, so that
// the rows read from a data file can be compared with the rows the script put there.
//
// Understood statement forms (keywords in any case):
//   INSERT [INTO] table [(col, col, ...)] VALUES (literal, literal, ...)
// with table written as name, "name", [schema].[name] or schema.name. Literals: NULL, 'text',
// N'text' ('' inside stands for '), numbers (with an optional sign and a leading $), 0x hex,
// and CAST(literal AS type) with the literal kept. Anything else in the script is skipped.

#include <iconv.h>

#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace portalmend::testing {

struct ScriptLiteral {
  enum Kind { kNull, kText, kNumber, kHex };
  Kind kind = kNull;
  // The text without quotes, the number as written (without $), or the hex digits with 0x.
  std::string text;
  // The type named by CAST(... AS type), lower case, or empty.
  std::string cast_type;
};

struct ScriptRow {
  std::string table;                 // without schema, brackets or quotes
  std::vector<std::string> columns;  // empty when the statement names no columns
  std::vector<ScriptLiteral> values;
};

// Converts bytes in a named character set (as iconv knows it) to UTF-8; undecodable bytes
// are dropped.
inline std::string to_utf8(const std::string& bytes, const char* charset) {
  iconv_t cd = iconv_open("UTF-8", charset);
  if (cd == reinterpret_cast<iconv_t>(-1)) return {};
  std::string out(bytes.size() * 2 + 16, '\0');
  char* in_ptr = const_cast<char*>(bytes.data());
  std::size_t in_left = bytes.size();
  char* out_ptr = out.data();
  std::size_t out_left = out.size();
  while (in_left > 0) {
    if (iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left) != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) {
      std::size_t used = out.size() - out_left;
      out.resize(out.size() * 2);
      out_ptr = out.data() + used;
      out_left = out.size() - used;
    } else {
      ++in_ptr;  // skip a byte that cannot be converted
      --in_left;
    }
  }
  out.resize(out.size() - out_left);
  iconv_close(cd);
  return out;
}

// Windows-1252 to UTF-8, with the five bytes the code page leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) as U+FFFD, the way the data files' 8-bit text is shown.
inline std::string windows_1252_to_utf8(const std::string& bytes) {
  static const char16_t k80[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                   0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                   0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                   0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
  std::string out;
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    const char32_t cp = b < 0x80 ? b : (b < 0xA0 ? k80[b - 0x80] : b);
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

// Reads a script file: UTF-16LE when it starts with a byte order mark, else 8-bit text in
// `charset`.
inline std::string read_script(const std::string& path, const char* charset = "CP1252") {
  std::ifstream in(path, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  std::string bytes = buffer.str();
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    return to_utf8(bytes.substr(2), "UTF-16LE");
  }
  if (std::string_view(charset) == "CP1252") return windows_1252_to_utf8(bytes);
  return to_utf8(bytes, charset);
}

class ScriptParser {
 public:
  explicit ScriptParser(std::string_view text) : s_(text) {}

  std::vector<ScriptRow> rows() {
    std::vector<ScriptRow> result;
    std::size_t pos = 0;
    while ((pos = find_keyword("insert", pos)) != std::string_view::npos) {
      p_ = pos + 6;
      std::optional<ScriptRow> row = statement();
      if (row) result.push_back(std::move(*row));
      pos = std::max(p_, pos + 6);
    }
    return result;
  }

 private:
  static bool ident_char(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

  // Next position of a whole word (case-insensitive), skipping quoted text and comments.
  std::size_t find_keyword(std::string_view word, std::size_t from) const {
    std::size_t i = from;
    while (i < s_.size()) {
      char c = s_[i];
      if (c == '\'') {
        i = skip_quoted(i);
        continue;
      }
      if (c == '-' && i + 1 < s_.size() && s_[i + 1] == '-') {
        while (i < s_.size() && s_[i] != '\n') ++i;
        continue;
      }
      if (c == '/' && i + 1 < s_.size() && s_[i + 1] == '*') {
        std::size_t end = s_.find("*/", i + 2);
        i = end == std::string_view::npos ? s_.size() : end + 2;
        continue;
      }
      if ((i == 0 || !ident_char(s_[i - 1])) && matches_word(i, word)) return i;
      ++i;
    }
    return std::string_view::npos;
  }

  bool matches_word(std::size_t i, std::string_view word) const {
    if (i + word.size() > s_.size()) return false;
    for (std::size_t k = 0; k < word.size(); ++k) {
      if (std::tolower(static_cast<unsigned char>(s_[i + k])) != word[k]) return false;
    }
    return i + word.size() == s_.size() || !ident_char(s_[i + word.size()]);
  }

  std::size_t skip_quoted(std::size_t i) const {
    ++i;
    while (i < s_.size()) {
      if (s_[i] == '\'') {
        if (i + 1 < s_.size() && s_[i + 1] == '\'') {
          i += 2;
          continue;
        }
        return i + 1;
      }
      ++i;
    }
    return i;
  }

  void skip_space() {
    while (p_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[p_]))) ++p_;
  }

  bool take(char c) {
    skip_space();
    if (p_ < s_.size() && s_[p_] == c) {
      ++p_;
      return true;
    }
    return false;
  }

  bool take_word(std::string_view word) {
    skip_space();
    if (matches_word(p_, word)) {
      p_ += word.size();
      return true;
    }
    return false;
  }

  // One name part: "x", [x] or x.
  std::optional<std::string> name_part() {
    skip_space();
    if (p_ >= s_.size()) return std::nullopt;
    char open = s_[p_];
    if (open == '"' || open == '[') {
      char close = open == '"' ? '"' : ']';
      std::size_t end = s_.find(close, p_ + 1);
      if (end == std::string_view::npos) return std::nullopt;
      std::string name(s_.substr(p_ + 1, end - p_ - 1));
      p_ = end + 1;
      return name;
    }
    std::size_t start = p_;
    while (p_ < s_.size() && ident_char(s_[p_])) ++p_;
    if (p_ == start) return std::nullopt;
    return std::string(s_.substr(start, p_ - start));
  }

  std::optional<std::string> qualified_name() {
    std::optional<std::string> name = name_part();
    while (name && p_ < s_.size() && s_[p_] == '.') {
      ++p_;
      name = name_part();
    }
    return name;
  }

  std::optional<ScriptLiteral> literal() {
    skip_space();
    if (p_ >= s_.size()) return std::nullopt;
    ScriptLiteral lit;
    if (take_word("null")) return lit;
    if (take_word("cast")) {
      if (!take('(')) return std::nullopt;
      std::optional<ScriptLiteral> inner = literal();
      if (!inner || !take_word("as")) return std::nullopt;
      std::optional<std::string> type = name_part();
      if (!type) return std::nullopt;
      if (take('(')) {
        while (p_ < s_.size() && s_[p_] != ')') ++p_;
        if (!take(')')) return std::nullopt;
      }
      if (!take(')')) return std::nullopt;
      for (char& c : *type) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      inner->cast_type = *type;
      return inner;
    }
    char c = s_[p_];
    if ((c == 'N' || c == 'n') && p_ + 1 < s_.size() && s_[p_ + 1] == '\'') {
      ++p_;
      c = '\'';
    }
    if (c == '\'') {
      std::size_t end = skip_quoted(p_);
      std::string text;
      for (std::size_t i = p_ + 1; i + 1 < end; ++i) {
        text += s_[i];
        if (s_[i] == '\'') ++i;  // '' stands for one quote
      }
      p_ = end;
      lit.kind = ScriptLiteral::kText;
      lit.text = std::move(text);
      return lit;
    }
    if (c == '0' && p_ + 1 < s_.size() && (s_[p_ + 1] == 'x' || s_[p_ + 1] == 'X')) {
      std::size_t start = p_;
      p_ += 2;
      while (p_ < s_.size() && std::isxdigit(static_cast<unsigned char>(s_[p_]))) ++p_;
      lit.kind = ScriptLiteral::kHex;
      lit.text = "0x";
      for (char h : s_.substr(start + 2, p_ - start - 2)) {
        lit.text += static_cast<char>(std::toupper(static_cast<unsigned char>(h)));
      }
      return lit;
    }
    std::string number;
    if (c == '-' || c == '+') {
      if (c == '-') number += '-';
      ++p_;
      skip_space();
    }
    if (p_ < s_.size() && s_[p_] == '$') ++p_;
    std::size_t start = p_;
    while (p_ < s_.size() && (std::isdigit(static_cast<unsigned char>(s_[p_])) || s_[p_] == '.' ||
                              s_[p_] == 'e' || s_[p_] == 'E')) {
      ++p_;
    }
    if (p_ == start) return std::nullopt;
    number += std::string(s_.substr(start, p_ - start));
    lit.kind = ScriptLiteral::kNumber;
    lit.text = std::move(number);
    return lit;
  }

  std::optional<ScriptRow> statement() {
    ScriptRow row;
    take_word("into");
    std::optional<std::string> table = qualified_name();
    if (!table) return std::nullopt;
    row.table = *table;
    if (take('(')) {
      do {
        std::optional<std::string> column = name_part();
        if (!column) return std::nullopt;
        row.columns.push_back(*column);
      } while (take(','));
      if (!take(')')) return std::nullopt;
    }
    if (!take_word("values") || !take('(')) return std::nullopt;
    do {
      std::optional<ScriptLiteral> value = literal();
      if (!value) return std::nullopt;
      row.values.push_back(std::move(*value));
    } while (take(','));
    if (!take(')')) return std::nullopt;
    if (!row.columns.empty() && row.columns.size() != row.values.size()) return std::nullopt;
    return row;
  }

  std::string_view s_;
  std::size_t p_ = 0;
};

inline std::vector<ScriptRow> parse_script(std::string_view text) { return ScriptParser(text).rows(); }

// ---- Comparable keys -------------------------------------------------------------------

// Days from 0001-01-01 to a civil date.
inline std::int64_t days_from_civil(int y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468 + 719162;  // 0001-01-01 is day 0
}

inline std::string civil_text(std::int64_t days_since_0001, std::int64_t seconds) {
  std::int64_t z = days_since_0001 - 719162 + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  y += m <= 2;
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%04lld-%02u-%02u %02lld:%02lld:%02lld", static_cast<long long>(y), m, d,
                static_cast<long long>(seconds / 3600), static_cast<long long>(seconds / 60 % 60),
                static_cast<long long>(seconds % 60));
  return buffer;
}

// The date-time text a script literal stands for: 'MM/DD/YY[YY]', 'YYYY-MM-DD[ HH:MM:SS]',
// 'YYYYMMDD' or CAST(0x<day count><time of day in 1/300 s> AS DateTime).
inline std::string datetime_key(const ScriptLiteral& lit) {
  if (lit.kind == ScriptLiteral::kHex && lit.text.size() == 18) {
    auto days = static_cast<std::int32_t>(std::stoul(lit.text.substr(2, 8), nullptr, 16));
    auto ticks = static_cast<std::int32_t>(std::stoul(lit.text.substr(10, 8), nullptr, 16));
    return civil_text(days + 693595, static_cast<std::int64_t>(ticks / 300));
  }
  int y = 0, m = 0, d = 0, hh = 0, mm = 0, ss = 0;
  const char* t = lit.text.c_str();
  if (std::sscanf(t, "%d/%d/%d", &m, &d, &y) == 3) {
    if (y < 50) y += 2000;
    else if (y < 100) y += 1900;
  } else if (std::sscanf(t, "%d-%d-%d %d:%d:%d", &y, &m, &d, &hh, &mm, &ss) >= 3) {
  } else if (lit.text.size() == 8 && std::sscanf(t, "%4d%2d%2d", &y, &m, &d) == 3) {
  } else {
    return lit.text;
  }
  return civil_text(days_from_civil(y, m, d), hh * 3600 + mm * 60 + ss);
}

inline std::string number_key(const std::string& text, const char* format) {
  std::string cleaned;
  for (char c : text) {
    if (c != '$' && c != ',') cleaned += c;
  }
  char* end = nullptr;
  double value = std::strtod(cleaned.c_str(), &end);
  if (cleaned.empty() || end == cleaned.c_str()) return "?" + text;
  if (value == 0) value = 0;  // no negative zero
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

inline std::string upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

inline std::string rtrim(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// The key of a value of the column's internal type code, from its text as shown (literal
// unset) or from a script literal.
inline std::string value_key(std::uint32_t type_code, const std::string& shown,
                             const ScriptLiteral* lit = nullptr) {
  if (lit ? lit->kind == ScriptLiteral::kNull : shown == "NULL") return "NULL";
  const std::string& text = lit ? lit->text : shown;
  switch (type_code) {
    case 0: case 9: case 13: case 14:  // integers
      return number_key(text, "%.0f");
    case 2:  // bit
      if (lit) return text == "0" ? "False" : "True";
      return text;
    case 21: case 29:  // money, smallmoney
      return number_key(text, "%.4f");
    case 22: case 23: case 24:  // float, numeric, decimal
      return number_key(text, "%.10g");
    case 28:  // real: shown with six significant digits, tiny values as 0
      return std::fabs(std::strtod(text.c_str(), nullptr)) < 1e-4 ? std::string("0") : number_key(text, "%.6g");
    case 4: case 27:  // datetime, smalldatetime
      return lit ? datetime_key(*lit) : text;
    case 15:  // uniqueidentifier
      return upper(text);
    case 3: case 10:  // char, nchar: padded with blanks
      return rtrim(text);
    case 1: case 16: case 25: case 33:  // binary types
      return text;  // shown as 0x and uppercase digits, as the script writes them
    case 34: {  // xml: stored with its line ends normalised to line feeds
      std::string normalised;
      for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        normalised += text[i];
      }
      return normalised;
    }
    default:
      return text;
  }
}

}  // namespace portalmend::testing
