// portalmend-cli xml HEX | -
// Decodes one stored xml value (SQL Server's binary xml) and prints its text.

#include <cctype>
#include <cstdio>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "tabledata/binary_xml_component.h"

namespace portalmend::cli {
namespace {

const Command kXmlCommand = {"xml", "xml HEX|-", "", nullptr};

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Hexadecimal digits, with an optional "0x" and any blanks between byte pairs.
std::optional<std::vector<std::uint8_t>> ParseHex(const std::string& text) {
  std::string digits;
  std::size_t start = 0;
  if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) start = 2;
  for (std::size_t i = start; i < text.size(); ++i) {
    if (std::isspace(static_cast<unsigned char>(text[i]))) continue;
    if (HexDigit(text[i]) < 0) return std::nullopt;
    digits.push_back(text[i]);
  }
  if (digits.size() % 2 != 0) return std::nullopt;
  std::vector<std::uint8_t> bytes;
  bytes.reserve(digits.size() / 2);
  for (std::size_t i = 0; i < digits.size(); i += 2) {
    bytes.push_back(static_cast<std::uint8_t>(HexDigit(digits[i]) * 16 + HexDigit(digits[i + 1])));
  }
  return bytes;
}

}  // namespace

int run_xml(const Args& args) {
  if (args.size() != 1) return usage_error(kXmlCommand, "give the value as hexadecimal digits, or - to read bytes");
  std::vector<std::uint8_t> bytes;
  if (args[0] == "-") {
    std::cin >> std::noskipws;
    bytes.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
  } else {
    auto parsed = ParseHex(args[0]);
    if (!parsed) return usage_error(kXmlCommand, "'" + args[0] + "' is not an even number of hexadecimal digits");
    bytes = std::move(*parsed);
  }
  if (bytes.size() > static_cast<std::size_t>(INT32_MAX)) {
    std::fprintf(stderr, "portalmend-cli xml: the value is larger than 2 GB and cannot be decoded.\n");
    return 1;
  }
  CXmlTextComponent component;
  std::string text;
  if (component.Convert(ByteReader(bytes), static_cast<std::int32_t>(bytes.size()), kXmlConvertConstantFirst,
                        kXmlConvertConstantSecond, &text) != kXmlOk) {
    std::fprintf(stderr, "portalmend-cli xml: the bytes are not a binary xml value: %s\n", component.failure().c_str());
    return 1;
  }
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fputc('\n', stdout);
  return 0;
}

}  // namespace portalmend::cli
