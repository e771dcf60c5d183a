#pragma once
// Rows of text as delimited lines, for the command-line tool.
//
//   format  separator  field escaping
//   tsv     tab        backslash, tab, line feed and carriage return as \\ \t \n \r
//   csv     comma      a field holding a comma, quote, line feed or carriage return (or
//                      starting or ending with a blank) is quoted, its quotes doubled (RFC 4180)

#include <string>
#include <string_view>
#include <vector>

namespace portalmend {

enum class DelimitedFormat { kTsv, kCsv };

// One field, escaped for the format.
std::string delimited_field(std::string_view text, DelimitedFormat format);

// One line: the escaped fields joined by the separator, ended by a line break ("\r\n" for
// csv, "\n" for tsv).
std::string delimited_line(const std::vector<std::string>& fields, DelimitedFormat format);

}  // namespace portalmend
