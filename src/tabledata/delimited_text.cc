#include "tabledata/delimited_text.h"

namespace portalmend {

std::string delimited_field(std::string_view text, DelimitedFormat format) {
  std::string out;
  out.reserve(text.size() + 2);
  if (format == DelimitedFormat::kTsv) {
    for (char c : text) {
      switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
      }
    }
    return out;
  }
  const bool quote = text.find_first_of(",\"\r\n") != std::string_view::npos ||
                     (!text.empty() && (text.front() == ' ' || text.back() == ' '));
  if (!quote) return std::string(text);
  out += '"';
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

std::string delimited_line(const std::vector<std::string>& fields, DelimitedFormat format) {
  const char separator = format == DelimitedFormat::kTsv ? '\t' : ',';
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) line += separator;
    line += delimited_field(fields[i], format);
  }
  line += format == DelimitedFormat::kCsv ? "\r\n" : "\n";
  return line;
}

}  // namespace portalmend
