#include "values/code_page.h"

#include <gtest/gtest.h>

#include "storage/app_settings.h"
#include "values/test_bytes.h"
#include "values/value_context.h"
#include "values/value_text.h"

namespace portalmend {
namespace {

using test::Bytes;

TEST(EightBitText, ConvertsEveryCodePageOfTheCollations) {
  struct Case { std::int32_t code_page; const char* hex; const char* text; };
  const Case cases[] = {
      {874, "c0d2c9d2e4b7c2208085", "ภาษาไทย €…"},
      {932, "93fa967b8cea8365834c8358836720b1b2b32087408160", "日本語テキスト ｱｲｳ ①～"},
      {936, "d6d0cec4bcf2cce52080", "中文简体 €"},
      {949, "c7d1b1b9beee208c63", "한국어 똠"},
      {950, "c163c5e9a4a4a4e520a3e1", "繁體中文 €"},
      {1250, "a3f3649f208e6c759d6f75e86bfd206bf9f2", "Łódź Žluťoučký kůň"},
      {1251, "cff0e8e2e5f22c20ece8f02120b9", "Привет, мир! №"},
      {1252, "4dfc6e6368656e204272e4636b65204de97869636f20442e462e208089", "München Bräcke México D.F. €‰"},
      {1253, "c5ebebe7ede9eadc20a2b8", "Ελληνικά ΆΈ"},
      {1254, "dd7374616e62756c20f0fcfef6e7", "İstanbul ğüşöç"},
      {1255, "f2e1f8e9fa20a4", "עברית ₪"},
      {1256, "c7e1dad1c8edc92081", "العربية پ"},
      {1257, "c0e8e6ebe1f0f8fbfe2052ee6761", "Ąčęėįšųūž Rīga"},
      // ê followed by the combining dot below; the converter composes the pair into ệ.
      {1258, "5669eaf274", "Vi\u1EC7t"},
      {65001, "c39c6ec3af63c3b664c3a920e697a5e69cac20f09f9880", "Ünïcödé 日本 😀"},
      {437, "8182", "üé"},
      {850, "9d", "Ø"},
  };
  for (const Case& c : cases) {
    const Bytes bytes = test::hex(c.hex);
    EXPECT_TRUE(code_page_supported(c.code_page)) << c.code_page;
    EXPECT_EQ(eight_bit_text(ByteReader(bytes), c.code_page), c.text) << c.code_page;
  }
}

TEST(EightBitText, StopsAtTheFirstZeroByte) {
  const Bytes bytes = {'a', 'b', 0, 'c'};
  EXPECT_EQ(eight_bit_text(ByteReader(bytes), 1252), "ab");
  const Bytes leading_zero = {0, 'x'};
  EXPECT_EQ(eight_bit_text(ByteReader(leading_zero), 1252), "");
  EXPECT_EQ(eight_bit_text(ByteReader(), 1252), "");
}

TEST(EightBitText, UnknownCodePagesReadAsWindows1252) {
  const Bytes bytes = test::hex("4dfc6e6368656e");  // München
  for (std::int32_t code_page : {0, -1, 1, 99999}) {
    EXPECT_FALSE(code_page_supported(code_page)) << code_page;
    EXPECT_EQ(eight_bit_text(ByteReader(bytes), code_page), "München") << code_page;
  }
}

TEST(EightBitText, UndefinedBytesBecomeReplacementCharacters) {
  struct Case { std::int32_t code_page; const char* hex; const char* text; };
  const Case cases[] = {
      {65001, "41ff42", "A\uFFFDB"},            // not UTF-8
      {65001, "41e697", "A\uFFFD"},             // UTF-8 cut off by the end of the value
      {932, "4193", "A\uFFFD"},                 // lead byte without its trail byte
      {1253, "41aa42", "A\uFFFDB"},             // 0xAA is not in Windows-1253
  };
  for (const Case& c : cases) {
    const Bytes bytes = test::hex(c.hex);
    EXPECT_EQ(eight_bit_text(ByteReader(bytes), c.code_page), c.text) << c.code_page << " " << c.hex;
  }
}

TEST(Utf16Text, DecodesUpToTheFirstZeroUnit) {
  struct Case { Bytes bytes; const char* text; };
  const Case cases[] = {
      {test::utf16(u"México D.F."), "México D.F."},
      {test::utf16(u"Москва"), "Москва"},
      {test::utf16(u"東京"), "東京"},
      {test::utf16(u"😀!"), "😀!"},
      {test::utf16({u'a', 0, u'b'}), "a"},
      {test::utf16({0xD800, u'x'}), "\uFFFDx"},       // lone high surrogate
      {test::cat({test::utf16(u"ab"), Bytes{0x41}}), "ab"},  // odd trailing byte
      {{}, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(utf16_text(ByteReader(c.bytes)), c.text) << c.text;
}

TEST(ValueContext, ChoosesTheCodePageByCollation) {
  CollationTable table;
  table.add_line("Japanese_CI_AS\t53264\t932");
  table.add_line("Cyrillic_General_CI_AS\t53251\t1251");
  table.add_line("Latin1_General_100_CI_AS_SC_UTF8\t53256\t65001");
  ChosenCollation chosen;
  chosen.choose(53251, CollationEntry{"Cyrillic_General_CI_AS", 1253});  // chosen wins over the table

  ValueContext context;
  context.collations = &table;
  context.chosen = &chosen;
  struct Case { bool table_data; std::int64_t collation; std::int32_t code_page; };
  const Case cases[] = {
      {true, 53251, 1253},    // the chosen collation
      {true, 53264, 932},     // the collation table
      {true, 53256, 65001},
      {true, 12345, 1252},    // not in the table
      {true, -1, 1252},       // no collation
      {true, 0, 1252},
      {false, 53264, 1252},   // reading the catalog
  };
  for (const Case& c : cases) {
    context.table_data = c.table_data;
    EXPECT_EQ(context.code_page_for(c.collation), c.code_page) << c.collation;
  }
  chosen.known = false;
  context.table_data = true;
  EXPECT_EQ(context.code_page_for(53251), 1251);  // an unknown chosen collation is ignored

  const ValueContext empty;
  EXPECT_EQ(empty.code_page_for(53264), 1252);
}

}  // namespace
}  // namespace portalmend

namespace portalmend {
namespace {

TEST(ValueContext, ReadsTheCollationsHeldByTheApplicationSettings) {
  theApp.reset();
  theApp.collation_table.clear();
  theApp.collation_table.add_line("Japanese_CI_AS\t53264\t932");
  theApp.collation_table.add_line("Thai_CI_AS\t53273\t874");
  theApp.chosen_collation.choose(53273, *theApp.collation_table.find(53273));

  const ValueContext table_data = ValueContext::from_settings();
  EXPECT_TRUE(table_data.table_data);
  EXPECT_EQ(table_data.code_page_for(53264), 932);
  EXPECT_EQ(table_data.code_page_for(53273), 874);
  EXPECT_EQ(ValueContext::for_catalog().code_page_for(53264), 1252);

  const Bytes thai = test::hex("c0d2c9d2e4b7c2");
  ValueColumn column;
  column.type_code = kTypeVarchar;
  column.type_text = "varchar(20)";
  column.variable = 1;
  column.collation_id = 53273;
  ValueShape shape = shape_by_type(column);
  shape.value_length = static_cast<std::int16_t>(thai.size());
  EXPECT_EQ(value_to_text(shape, column, ByteReader(thai)), "ภาษาไทย");

  theApp.reset();
  EXPECT_FALSE(theApp.chosen_collation.known);
  theApp.collation_table.clear();
}

}  // namespace
}  // namespace portalmend
