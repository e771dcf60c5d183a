#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "storage/compression_columns.h"
#include "storage/compression_info.h"
#include "storage/compression_rebuild.h"
#include "storage/compression_record.h"
#include "storage/page.h"
#include "support/compressed_writer.h"

namespace portalmend {
namespace {

using writer::CompressedBytes;
using writer::CompressedInteger;
using writer::CompressedRecord;
using writer::CompressedText;
using writer::CompressedValue;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kBigint = 0, kBinary = 1, kBit = 2, kChar = 3, kInt = 9, kNchar = 10,
                        kNvarchar = 11, kSmallint = 13, kVarbinary = 16, kVarchar = 17;

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

CompressedRecordParts Decode(const Bytes& bytes, std::optional<int> expected = std::nullopt) {
  return DecodeCompressedRecord(ByteReader(bytes), expected);
}

std::int64_t LittleEndian(const Bytes& bytes) {
  std::uint64_t v = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) v |= std::uint64_t{bytes[i]} << (8 * i);
  if (bytes.size() < 8 && !bytes.empty() && (bytes.back() & 0x80)) v |= ~std::uint64_t{0} << (8 * bytes.size());
  return static_cast<std::int64_t>(v);
}

TEST(CompressedRecord, DescriptorByteHoldsLowNibbleFirst) {
  const Bytes record = {0x01, 0x02, 0x21, 0x41};
  const auto parts = Decode(record);
  ASSERT_FALSE(parts.rejected);
  EXPECT_EQ(parts.codes, (Bytes{1, 2}));
  EXPECT_EQ(parts.short_value(1).to_vector(), Bytes{0x41});
  EXPECT_EQ(parts.record_length, 4u);
}

TEST(CompressedRecord, UnusableColumnCountRejects) {
  for (const Bytes& record : {Bytes{0x01, 0x00}, Bytes{0x01, 0xFF, 0xFF}, Bytes{0x01}, Bytes{0x01, 0x80}}) {
    EXPECT_TRUE(Decode(record).rejected) << int(record.size());
  }
}

TEST(CompressedRecord, ColumnCountAbove127ReadsEitherByteOrder) {
  std::vector<CompressedValue> columns(200, CompressedInteger(7));
  for (bool little : {false, true}) {
    writer::CompressedRecordLayout layout;
    layout.little_endian_count = little;
    const Bytes record = CompressedRecord(columns, layout);
    const auto parts = Decode(record, 200);
    ASSERT_FALSE(parts.rejected) << little;
    EXPECT_EQ(parts.column_count, 200);
    EXPECT_EQ(parts.record_length, record.size());
    EXPECT_EQ(parts.short_value(199).to_vector(), Bytes{0x87});
  }
  // Without the table's count, the big-endian reading is taken.
  EXPECT_EQ(Decode(CompressedRecord(columns)).column_count, 200);
}

TEST(CompressedRecord, LongRegionKeepsComplexFlagAndSkipsClusterBytes) {
  std::vector<CompressedValue> columns(40, CompressedValue{0, {}, false});
  columns[3] = CompressedText("a long value of many bytes");
  columns[35] = CompressedValue{10, Bytes(16, 0xAB), true};
  const Bytes record = CompressedRecord(columns);
  const auto parts = Decode(record);
  ASSERT_EQ(parts.long_values.size(), 2u);
  EXPECT_EQ(parts.long_values[0].bytes, Text("a long value of many bytes"));
  EXPECT_FALSE(parts.long_values[0].complex);
  EXPECT_EQ(parts.long_values[1].bytes, Bytes(16, 0xAB));
  EXPECT_TRUE(parts.long_values[1].complex);
  EXPECT_EQ(parts.record_length, record.size());
}

TEST(CompressedRecord, EveryCutOffRecordDecodesWithoutReadingPastIt) {
  std::vector<CompressedValue> columns = {CompressedInteger(-5), CompressedText("abcdefghijklmnop"),
                                          CompressedValue{0, {}, false}, CompressedText("xy")};
  writer::CompressedRecordLayout layout;
  layout.null_bitmap = true;
  const Bytes record = CompressedRecord(columns, layout);
  for (std::size_t n = 0; n <= record.size(); ++n) {
    const Bytes cut(record.begin(), record.begin() + static_cast<std::ptrdiff_t>(n));
    const auto parts = Decode(cut);
    EXPECT_LE(parts.record_length, n);
  }
  const auto whole = Decode(record);
  EXPECT_EQ(whole.null_bitmap, Bytes{0x04});
  EXPECT_EQ(whole.record_length, record.size());
}

TEST(CompressedInteger, ExpandsSignFlaggedBigEndianNumbers) {
  const struct {
    Bytes stored;
    int width;
    std::int64_t value;
  } cases[] = {
      {{0x85}, 4, 5},
      {{0x80}, 4, 0},
      {{0x7F}, 4, -1},
      {{0x7E}, 2, -2},
      {{0x80, 0x80}, 4, 128},
      {{0x7F, 0x7F}, 8, -129},
      {{0xFF, 0xFF, 0xFF, 0xFF}, 4, 2147483647},
      {{0x00, 0x00, 0x00, 0x00}, 4, -2147483648LL},
      {{}, 4, 0},
  };
  for (const auto& c : cases) {
    const Bytes out = ExpandCompressedInteger(ByteReader(c.stored), c.width);
    EXPECT_EQ(out.size(), static_cast<std::size_t>(c.width));
    EXPECT_EQ(LittleEndian(out), c.value) << c.value;
  }
  for (std::int64_t v : {0LL, 1LL, -1LL, 300LL, -300LL, 9223372036854775807LL, -9223372036854775807LL - 1}) {
    EXPECT_EQ(LittleEndian(ExpandCompressedInteger(ByteReader(CompressedInteger(v).bytes), 8)), v);
  }
}

std::vector<CompressedColumn> Columns(std::initializer_list<CompressedColumn> list) { return list; }

TEST(CompressedRebuild, RowCompressedValuesBecomeOrdinaryPieces) {
  const auto columns = Columns({{kInt, 4, false},
                                {kChar, 6, false},
                                {kBinary, 3, false},
                                {kVarchar, 20, true},
                                {kSmallint, 2, false},
                                {kNvarchar, 40, true},
                                {kBigint, 8, false}});
  const Bytes record = CompressedRecord({CompressedInteger(5), CompressedText("ab"), CompressedBytes({0x01, 0x02, 0x03, 0x04}),
                                         CompressedText("hello"), CompressedValue{0, {}, false},
                                         CompressedBytes({'h', 'i', 0x10}), CompressedInteger(-70000)});
  const auto rebuilt = RebuildCompressedRecord(Decode(record), nullptr, columns);
  ASSERT_TRUE(rebuilt);
  const Bytes expected_fixed = {0x05, 0, 0, 0,  'a', 'b', ' ', ' ', ' ', ' ', 0x01, 0x02, 0x03,
                                0,    0,          // smallint NULL
                                0x90, 0xEE, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(rebuilt->fixed_data, expected_fixed);
  EXPECT_EQ(rebuilt->null_bitmap, Bytes{0x10});
  ASSERT_EQ(rebuilt->variable_values.size(), 2u);
  EXPECT_EQ(rebuilt->variable_values[0].bytes, Text("hello"));
  EXPECT_EQ(rebuilt->variable_values[1].bytes, (Bytes{'h', 0, 'i', 0}));
  // The binary(3) column held 4 bytes: cut in the fixed data, kept whole in its column.
  EXPECT_TRUE(rebuilt->columns[2].longer_than_column);
  EXPECT_EQ(rebuilt->columns[2].bytes, (Bytes{1, 2, 3, 4}));
  EXPECT_EQ(rebuilt->columns[4].state, RebuiltColumn::State::kNull);
}

TEST(CompressedRebuild, NcharIsPaddedWithUnicodeBlanks) {
  const Bytes record = CompressedRecord({CompressedBytes({'a', 'b', 0x10})});
  const auto rebuilt = RebuildCompressedRecord(Decode(record), nullptr, Columns({{kNchar, 8, false}}));
  ASSERT_TRUE(rebuilt);
  EXPECT_EQ(rebuilt->fixed_data, (Bytes{'a', 0, 'b', 0, ' ', 0, ' ', 0}));
}

TEST(CompressedRebuild, BitColumnsShareOneByte) {
  std::vector<CompressedValue> values;
  std::vector<CompressedColumn> columns;
  for (int i = 0; i < 10; ++i) {
    values.push_back(i % 3 == 0 ? CompressedBytes({0x01}) : CompressedValue{1, {}, false});
    columns.push_back({kBit, 1, false});
  }
  values.insert(values.begin() + 2, CompressedInteger(9));
  columns.insert(columns.begin() + 2, {kInt, 4, false});
  const auto rebuilt = RebuildCompressedRecord(Decode(CompressedRecord(values)), nullptr, columns);
  ASSERT_TRUE(rebuilt);
  // Byte 0 holds bits 0-7 (columns 0,1,3..8: set for bit columns 0, 3, 6), the int follows it,
  // and bits 8-9 start a second byte after the int.
  EXPECT_EQ(rebuilt->fixed_data, (Bytes{0b01001001, 9, 0, 0, 0, 0b00000010}));
}

TEST(CompressedRebuild, ColumnCountMismatchIsNotRebuilt) {
  const Bytes record = CompressedRecord({CompressedInteger(1), CompressedInteger(2)});
  EXPECT_FALSE(RebuildCompressedRecord(Decode(record), nullptr, Columns({{kInt, 4, false}})));
}

// A page of the given body with the compression information block at offset 96.
Bytes PageWithInfo(const Bytes& block) {
  Bytes page(8192, 0);
  std::memcpy(page.data() + 96, block.data(), block.size());
  return page;
}

TEST(PageCompressionInfo, AnchorPrefixAndDictionaryExpandValues) {
  const Bytes anchor = CompressedRecord({CompressedText("abcdef"), CompressedValue{0, {}, false}, CompressedInteger(1000),
                                         CompressedText("common prefix text")});
  const std::vector<Bytes> dictionary = {Text("first"), Text("a dictionary entry longer than seven")};
  const Bytes page = PageWithInfo(writer::CompressionInfoBlock(&anchor, &dictionary));
  const auto info = ReadCompressionInfo(ByteReader(page), 4);
  ASSERT_TRUE(info && info->anchor);
  ASSERT_EQ(info->anchor_values.size(), 4u);
  EXPECT_EQ(info->anchor_values[0].bytes, Text("abcdef"));
  EXPECT_EQ(info->anchor_values[1].length(), -2);
  ASSERT_EQ(info->dictionary.size(), 2u);
  EXPECT_EQ(info->dictionary[1], Text("a dictionary entry longer than seven"));

  const auto columns = Columns({{kVarchar, 50, true}, {kVarchar, 50, true}, {kInt, 4, false}, {kVarchar, 50, true}});
  Bytes long_value = {3};
  const Bytes tail = Text("0123456789");
  long_value.insert(long_value.end(), tail.begin(), tail.end());
  const Bytes record = CompressedRecord({CompressedValue{10, long_value, false}, CompressedValue{12, {1}, false},
                                         CompressedValue{1, {}, false}, CompressedBytes({7, '!'})});
  const auto rebuilt = RebuildCompressedRecord(Decode(record), &*info, columns);
  ASSERT_TRUE(rebuilt);
  EXPECT_EQ(rebuilt->columns[0].bytes, Text("abc0123456789"));
  EXPECT_EQ(rebuilt->columns[1].bytes, Text("a dictionary entry longer than seven"));
  EXPECT_EQ(LittleEndian(rebuilt->columns[2].bytes), 1000);
  EXPECT_EQ(rebuilt->columns[3].bytes, Text("common !"));
}

TEST(PageCompressionInfo, AnchorWithoutDictionaryStartsAt101) {
  const Bytes anchor = CompressedRecord({CompressedText("xyz")});
  const Bytes page = PageWithInfo(writer::CompressionInfoBlock(&anchor, nullptr));
  const auto info = ReadCompressionInfo(ByteReader(page));
  ASSERT_TRUE(info && info->anchor);
  EXPECT_TRUE(info->dictionary.empty());
  ASSERT_EQ(info->anchor_values.size(), 1u);
  EXPECT_EQ(info->anchor_values[0].bytes, Text("xyz"));
}

TEST(PageCompressionInfo, DictionaryEntryPastPageEndIsLeftEmpty) {
  const std::vector<Bytes> dictionary = {Text("kept"), Text("cut")};
  Bytes block = writer::CompressionInfoBlock(nullptr, &dictionary);
  // Move the dictionary to the last bytes of the page, so that the second entry runs past it.
  Bytes page(8192, 0);
  const std::size_t dictionary_at = 8192 - (2 + 4 + 4 + 1);
  const std::uint16_t offset = static_cast<std::uint16_t>(dictionary_at - 96);
  block[3] = static_cast<std::uint8_t>(offset & 0xFF);
  block[4] = static_cast<std::uint8_t>(offset >> 8);
  std::memcpy(page.data() + 96, block.data(), 7);
  const Bytes dictionary_bytes(block.begin() + 7, block.end());
  std::memcpy(page.data() + dictionary_at, dictionary_bytes.data(), 8192 - dictionary_at);
  const auto info = ReadCompressionInfo(ByteReader(page));
  ASSERT_TRUE(info);
  ASSERT_EQ(info->dictionary.size(), 2u);
  EXPECT_EQ(info->dictionary[0], Text("kept"));
  EXPECT_TRUE(info->dictionary[1].empty());
}

TEST(PageCompressionInfo, SizeZeroMeansNoInformation) {
  Bytes page(8192, 0);
  page[96] = 0x06;
  EXPECT_FALSE(ReadCompressionInfo(ByteReader(page)));
}

}  // namespace
}  // namespace portalmend

namespace portalmend {
namespace {

TEST(CompressedPage, PageClassKeepsInfoAndRecordsRebuildWithIt) {
  const Bytes anchor = CompressedRecord({CompressedText("abc"), CompressedValue{0, {}, false}, CompressedInteger(0)});
  const std::vector<Bytes> dictionary = {Text("dict")};
  const Bytes page_bytes = writer::CompressedPage(
      30, 77, writer::CompressionInfoBlock(&anchor, &dictionary),
      {CompressedRecord({CompressedBytes({2, 'z'}), CompressedValue{12, {0}, false}, CompressedInteger(-3)}),
       CompressedRecord({CompressedValue{1, {}, false}, CompressedValue{0, {}, false}, CompressedInteger(300)})});
  ReadOptions options;
  options.poll_abort = false;
  const CDataPage page(page_bytes, nullptr, options);
  ASSERT_TRUE(page.compression_info());
  ASSERT_EQ(page.records().size(), 2u);
  const std::vector<CompressedColumn> columns = {{kVarchar, 20, true}, {kVarchar, 20, true}, {kInt, 4, false}};
  const struct {
    std::size_t slot;
    Bytes first;
    bool second_null;
    std::int64_t third;
  } cases[] = {{0, Text("abz"), false, -3}, {1, Text("abc"), true, 300}};
  for (const auto& c : cases) {
    const auto& record = page.records()[c.slot];
    ASSERT_TRUE(record && record->compressed_parts()) << c.slot;
    const auto rebuilt = RebuildCompressedRecord(*record->compressed_parts(), &*page.compression_info(), columns);
    ASSERT_TRUE(rebuilt) << c.slot;
    EXPECT_EQ(rebuilt->columns[0].bytes, c.first);
    EXPECT_EQ(rebuilt->columns[1].state == RebuiltColumn::State::kNull, c.second_null);
    if (!c.second_null) {
      EXPECT_EQ(rebuilt->columns[1].bytes, Text("dict"));
    }
    EXPECT_EQ(LittleEndian(rebuilt->fixed_data), c.third);
  }
}

TEST(CompressedPage, PageWithoutFlagBitHasNoInformation) {
  const Bytes anchor = CompressedRecord({CompressedText("abc")});
  Bytes page_bytes = writer::CompressedPage(30, 77, writer::CompressionInfoBlock(&anchor, nullptr),
                                            {CompressedRecord({CompressedText("q")})});
  page_bytes[2] = 0;  // type flag bits
  ReadOptions options;
  options.poll_abort = false;
  const CDataPage page(page_bytes, nullptr, options);
  EXPECT_FALSE(page.compression_info());
}

}  // namespace
}  // namespace portalmend

namespace portalmend {
namespace {

TEST(CompressedColumns, StoredColumnsOfATableInOrder) {
  ColumnDescriptionList columns(4);
  columns[0].type_code = kInt;
  columns[0].declared_length = 4;
  columns[1].type_code = 15;  // uniqueidentifier: fixed on disk
  columns[1].declared_length = 16;
  columns[1].variable = 1;
  columns[2].type_code = kNvarchar;
  columns[2].declared_length = -1;  // nvarchar(max)
  columns[3].type_code = kInt;
  columns[3].physical_column_id = ColumnDescription::kHidden;
  const auto out = CompressedColumnsOf(columns);
  ASSERT_EQ(out.size(), 3u);
  EXPECT_FALSE(out[1].variable);
  EXPECT_EQ(out[1].declared_length, 16);
  EXPECT_TRUE(out[2].variable);
  EXPECT_EQ(out[2].declared_length, 0);
}

}  // namespace
}  // namespace portalmend
