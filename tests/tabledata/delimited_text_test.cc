// Field escaping of the rows command's tsv and csv output.

#include "tabledata/delimited_text.h"

#include <gtest/gtest.h>

namespace portalmend {
namespace {

TEST(DelimitedText, EscapesFieldsForEachFormat) {
  struct Case {
    const char* text;
    DelimitedFormat format;
    const char* escaped;
  };
  const Case cases[] = {
      {"plain", DelimitedFormat::kTsv, "plain"},
      {"a\tb", DelimitedFormat::kTsv, "a\\tb"},
      {"line\nnext", DelimitedFormat::kTsv, "line\\nnext"},
      {"back\\slash", DelimitedFormat::kTsv, "back\\\\slash"},
      {"cr\r", DelimitedFormat::kTsv, "cr\\r"},
      {"a,b", DelimitedFormat::kTsv, "a,b"},
      {"plain", DelimitedFormat::kCsv, "plain"},
      {"a,b", DelimitedFormat::kCsv, "\"a,b\""},
      {"say \"hi\"", DelimitedFormat::kCsv, "\"say \"\"hi\"\"\""},
      {"two\nlines", DelimitedFormat::kCsv, "\"two\nlines\""},
      {"padded ", DelimitedFormat::kCsv, "\"padded \""},
      {"tab\there", DelimitedFormat::kCsv, "tab\there"},
      {"", DelimitedFormat::kCsv, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(delimited_field(c.text, c.format), c.escaped) << c.text;
}

TEST(DelimitedText, JoinsFieldsIntoOneLine) {
  EXPECT_EQ(delimited_line({"1", "a\tb", "NULL"}, DelimitedFormat::kTsv), "1\ta\\tb\tNULL\n");
  EXPECT_EQ(delimited_line({"1", "a,b", "NULL"}, DelimitedFormat::kCsv), "1,\"a,b\",NULL\r\n");
  EXPECT_EQ(delimited_line({}, DelimitedFormat::kTsv), "\n");
}

}  // namespace
}  // namespace portalmend
