// Cutting records into column texts: NULLs, fixed and variable columns, bit columns, large
// values shown as placeholders, sparse columns, hidden columns and the columns a record does
// not reach.

#include "tabledata/row_cutter.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "storage/page.h"
#include "support/page_writer.h"
#include "support/record_writer.h"
#include "values/type_code.h"

namespace portalmend {
namespace {

using writer::RecordSpec;
using writer::VariableColumn;

ColumnDescription column(const char* name, std::uint32_t code, const char* type_text, std::int32_t id,
                         std::int16_t leaf_offset, std::int32_t null_bit) {
  ColumnDescription c = make_column_description(name, type_text, code);
  c.column_id = id;
  c.physical_column_id = id;
  c.has_position = 1;
  c.leaf_offset = leaf_offset;
  c.legacy_offset = leaf_offset;
  c.null_bit = null_bit;
  return c;
}

// id int, name nvarchar(40), data varbinary(16), flag1 bit, flag2 bit, total (computed)
ColumnDescriptionList table_columns() {
  ColumnDescriptionList columns;
  columns.push_back(column("id", kTypeInt, "int(4)", 1, 4, 1));
  columns.push_back(column("name", kTypeNvarchar, "nvarchar(40)", 2, -1, 2));
  columns.push_back(column("data", kTypeVarbinary, "varbinary(16)", 3, -2, 3));
  columns.push_back(column("flag1", kTypeBit, "bit(1)", 4, 8, 4));
  columns.push_back(column("flag2", kTypeBit, "bit(1)", 5, 8, 5));
  ColumnDescription computed = column("total", kTypeInt, "int(4)", 6, 0, -1);
  computed.physical_column_id = ColumnDescription::kHidden;
  computed.has_position = 0;
  computed.value_text = "([id]*(2))";
  columns.push_back(computed);
  return columns;
}

std::vector<std::uint8_t> utf16(const std::string& ascii) {
  std::vector<std::uint8_t> out;
  for (char c : ascii) {
    out.push_back(static_cast<std::uint8_t>(c));
    out.push_back(0);
  }
  return out;
}

// Fixed data of the table above: id, then the shared bit byte.
std::vector<std::uint8_t> fixed(std::int32_t id, std::uint8_t bits) {
  return {static_cast<std::uint8_t>(id), static_cast<std::uint8_t>(id >> 8), static_cast<std::uint8_t>(id >> 16),
          static_cast<std::uint8_t>(id >> 24), bits};
}

// A 16-byte text pointer (starts with 0).
std::vector<std::uint8_t> text_pointer() {
  std::vector<std::uint8_t> p(16, 0);
  p[8] = 50;  // page 50
  p[12] = 1;  // file 1
  return p;
}

// An in-row root of kind 4 with one entry.
std::vector<std::uint8_t> in_row_root() {
  std::vector<std::uint8_t> r(24, 0);
  r[0] = 4;
  r[12] = 10;  // size
  r[16] = 50;  // page
  r[20] = 1;   // file
  return r;
}

struct Cut {
  std::vector<std::string> texts;
};

// Puts the record on a data page, decodes it and cuts it with a fresh context (after
// cutting `before` first, so that leftovers of an earlier row would show).
std::vector<std::string> cut(const RecordSpec& desc, RowCutOptions options = {},
                             const ColumnDescriptionList& columns = table_columns(),
                             const RecordSpec* before = nullptr) {
  writer::PageWriter page = writer::standard_page(20, 1000, 1);
  if (before) page.add_record(writer::encode_record(*before));
  page.add_record(writer::encode_record(desc));
  ReadOptions read;
  read.poll_abort = false;
  options.read.poll_abort = false;
  PrimaryRecordPage built(page.build(), nullptr, read);
  TableReadContext context(columns);
  for (const auto& record : built.records()) {
    EXPECT_TRUE(record && !record->rejected());
    if (record) cut_record(*record, context, options, nullptr);
  }
  std::vector<std::string> texts;
  for (std::size_t i = 0; i < context.size(); ++i) texts.push_back(context.text(i));
  return texts;
}

RecordSpec full_row() {
  RecordSpec desc;
  desc.fixed = fixed(7, 0x01);
  desc.column_count = 6;
  desc.nulls = {false, false, false, false, false, false};
  desc.variable = {VariableColumn{utf16("abc")}, VariableColumn{{0x12, 0x34}}};
  return desc;
}

TEST(RowCutter, LeafOffsetReaderCutsEveryKindOfColumn) {
  struct Case {
    const char* what;
    RecordSpec desc;
    bool placeholders;
    std::vector<std::string> texts;
  };
  RecordSpec null_id = full_row();
  null_id.nulls[0] = true;
  RecordSpec empty_binary = full_row();
  empty_binary.variable[1].bytes.clear();
  RecordSpec pointer = full_row();
  pointer.variable[1] = VariableColumn{text_pointer(), true};
  RecordSpec big = full_row();
  big.variable[1] = VariableColumn{in_row_root(), true};
  RecordSpec unknown_kind = full_row();
  unknown_kind.variable[1] = VariableColumn{{9, 1, 2}, true};
  RecordSpec second_bit = full_row();
  second_bit.fixed = fixed(-3, 0x02);
  const Case cases[] = {
      {"all values", full_row(), true, {"7", "abc", "0x1234", "True", "False", "([id]*(2))"}},
      {"null int", null_id, true, {"NULL", "abc", "0x1234", "True", "False", "([id]*(2))"}},
      {"empty varbinary", empty_binary, true, {"7", "abc", "0x", "True", "False", "([id]*(2))"}},
      {"text pointer", pointer, true, {"7", "abc", "<BINARY DATA>", "True", "False", "([id]*(2))"}},
      {"off-row max value", big, true, {"7", "abc", "<BIG BINARY DATA>", "True", "False", "([id]*(2))"}},
      {"unknown complex kind", unknown_kind, true, {"7", "abc", "0x", "True", "False", "([id]*(2))"}},
      {"second bit of the byte", second_bit, true, {"-3", "abc", "0x1234", "False", "True", "([id]*(2))"}},
  };
  for (const Case& c : cases) {
    RowCutOptions options;
    options.binary_placeholders = c.placeholders;
    EXPECT_EQ(cut(c.desc, options), c.texts) << c.what;
  }
}

TEST(RowCutter, ColumnsBeyondTheRecordReadNullNotAnEarlierRowsValue) {
  RecordSpec shorter;
  shorter.fixed = fixed(8, 0x00);
  shorter.column_count = 2;
  shorter.nulls = {false, false};
  shorter.variable = {VariableColumn{utf16("xy")}};
  const RecordSpec before = full_row();
  EXPECT_EQ(cut(shorter, {}, table_columns(), &before),
            (std::vector<std::string>{"8", "xy", "NULL", "NULL", "NULL", "([id]*(2))"}));
}

TEST(RowCutter, ComplexValueWithoutBytesReadsEmptyNotAnEarlierRowsValue) {
  RecordSpec desc = full_row();
  // A complex column whose end offset equals its start holds no bytes.
  desc.variable[1] = VariableColumn{{}, true};
  const RecordSpec before = full_row();
  EXPECT_EQ(cut(desc, {}, table_columns(), &before),
            (std::vector<std::string>{"7", "abc", "", "True", "False", "([id]*(2))"}));
}

TEST(RowCutter, FixedColumnBeyondTheFixedDataIsReadAtTheRunningOffset) {
  ColumnDescriptionList columns = table_columns();
  columns[0].leaf_offset = 400;
  EXPECT_EQ(cut(full_row(), {}, columns)[0], "7");
}

TEST(RowCutter, ColumnWithoutPositionReadsNull) {
  ColumnDescriptionList columns = table_columns();
  columns[1].has_position = 0;
  EXPECT_EQ(cut(full_row(), {}, columns)[1], "NULL");
}

TEST(RowCutter, OrdinalReaderUsesLegacyOffsetsAndRunningNullBits) {
  ColumnDescriptionList columns = table_columns();
  for (ColumnDescription& c : columns) c.null_bit = -1;  // the running column counter decides
  columns[0].leaf_offset = 0;                           // ignored by the ordinal reader
  RowCutOptions options;
  options.reader = RowReaderKind::kOrdinal;
  EXPECT_EQ(cut(full_row(), options, columns),
            (std::vector<std::string>{"7", "abc", "0x1234", "True", "False", "([id]*(2))"}));
  RecordSpec null_name = full_row();
  null_name.nulls[1] = true;
  EXPECT_EQ(cut(null_name, options, columns)[1], "NULL");
}

TEST(RowCutter, OrdinalReaderShowsOffRowXmlAsPlaceholderOnlyInPlaceholderMode) {
  ColumnDescriptionList columns = table_columns();
  columns[2] = column("doc", kTypeXml, "xml(-1)", 3, -2, 3);
  RecordSpec desc = full_row();
  desc.variable[1] = VariableColumn{in_row_root(), true};
  RowCutOptions options;
  options.reader = RowReaderKind::kOrdinal;
  options.binary_placeholders = true;
  EXPECT_EQ(cut(desc, options, columns)[2], "<BIG BINARY DATA>");
  options.reader = RowReaderKind::kLeafOffset;
  EXPECT_NE(cut(desc, options, columns)[2], "<BIG BINARY DATA>");
}

TEST(RowCutter, SparseColumnsTakeTheirOwnEntries) {
  ColumnDescriptionList columns = table_columns();
  columns.resize(3);
  columns[1] = column("s1", kTypeInt, "int(4)", 10, 0, -1);
  columns[1].sparse = 1;
  columns[2] = column("s2", kTypeInt, "int(4)", 11, 0, -1);
  columns[2].sparse = 1;
  RecordSpec desc;
  desc.fixed = fixed(5, 0);
  desc.column_count = 3;
  desc.nulls = {false, true, true};
  desc.variable = {VariableColumn{writer::sparse_vector({{11, {2, 0, 0, 0}}, {10, {1, 0, 0, 0}}}), true}};
  EXPECT_EQ(cut(desc, {}, columns), (std::vector<std::string>{"5", "1", "2"}));
}

}  // namespace
}  // namespace portalmend
namespace portalmend {
namespace {
TEST(RowCutter, HiddenColumnsDoNotCountAgainstTheRecordsColumns) {
  // id, total (computed, hidden), name: the record stores two columns.
  ColumnDescriptionList columns = table_columns();
  ColumnDescriptionList three = {columns[0], columns[5], columns[1]};
  three[2].null_bit = 2;
  RecordSpec desc;
  desc.fixed = fixed(4, 0);
  desc.column_count = 2;
  desc.nulls = {false, false};
  desc.variable = {VariableColumn{utf16("kept")}};
  EXPECT_EQ(cut(desc, {}, three), (std::vector<std::string>{"4", "([id]*(2))", "kept"}));
}
}  // namespace
}  // namespace portalmend

namespace portalmend {
namespace {

TEST(RowCutter, SystemTableVariantsHandleNullsAndLargeValuesTheirOwnWay) {
  RecordSpec desc = full_row();
  desc.nulls[0] = true;  // id marked NULL
  desc.nulls[1] = true;  // name marked NULL
  desc.variable[1] = VariableColumn{text_pointer(), true};
  RowCutOptions options;
  options.variant = RowCutVariant::kSystemTableRows;
  options.binary_placeholders = true;
  // Leaf-offset variant: the null bitmap is not consulted and no placeholder is shown.
  const std::vector<std::string> leaf = cut(desc, options);
  EXPECT_EQ(leaf[0], "7");
  EXPECT_EQ(leaf[1], "abc");
  EXPECT_NE(leaf[2], "<BINARY DATA>");
  // Ordinal variant: NULL from the bitmap, and a NULL variable column gets no text.
  options.reader = RowReaderKind::kOrdinal;
  const std::vector<std::string> ordinal = cut(desc, options);
  EXPECT_EQ(ordinal[0], "NULL");
  EXPECT_EQ(ordinal[1], "");
}

}  // namespace
}  // namespace portalmend
