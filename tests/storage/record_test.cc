#include "storage/record.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "storage/page_address.h"
#include "support/compressed_writer.h"
#include "support/record_writer.h"

namespace portalmend {
namespace {

using writer::RecordSpec;
using writer::VariableColumn;

constexpr std::size_t kRecordOffset = 96;

// A page buffer (8192 bytes, no header) with `record` at `offset`.
std::vector<std::uint8_t> page_with(const std::vector<std::uint8_t>& record, std::size_t offset = kRecordOffset) {
  std::vector<std::uint8_t> page(kPageSize, 0);
  for (std::size_t i = 0; i < record.size() && offset + i < page.size(); ++i) page[offset + i] = record[i];
  return page;
}

RecordSite site_on(const std::vector<std::uint8_t>& page, std::int32_t page_number = 1, std::uint8_t page_type = 1) {
  RecordSite site;
  site.page = ByteReader(page);
  site.page_number = page_number;
  site.page_type = page_type;
  return site;
}

CPrimaryRecord decode(const std::vector<std::uint8_t>& page, const ReadOptions& options = {},
                      std::size_t offset = kRecordOffset) {
  return CPrimaryRecord(site_on(page), offset, static_cast<std::uint16_t>(kPageSize - offset), options);
}

std::vector<std::uint8_t> bytes_of(const std::string& text) { return {text.begin(), text.end()}; }

TEST(Record, FixedDataNullBitmapAndVariableCountFollowTheFixedEnd) {
  // Status A 0x30, fixed end 8, three columns: four fixed bytes, a one-byte bitmap, then the
  // variable count and offsets.
  RecordSpec desc;
  desc.fixed = {1, 2, 3, 4};
  desc.nulls = {false, true, false};
  desc.variable = {{bytes_of("ab")}, {bytes_of("cde")}};
  const std::vector<std::uint8_t> bytes = writer::encode_record(desc);
  ASSERT_EQ(bytes[0], 0x30);
  const CPrimaryRecord record = decode(page_with(bytes));

  EXPECT_FALSE(record.rejected());
  EXPECT_EQ(record.record_type(), kPrimaryRecord);
  EXPECT_TRUE(record.has_null_bitmap());
  EXPECT_TRUE(record.has_variable_columns());
  EXPECT_EQ(record.fixed_length(), 4);
  ASSERT_TRUE(record.fixed_data());
  EXPECT_EQ(*record.fixed_data(), (std::vector<std::uint8_t>{1, 2, 3, 4}));
  EXPECT_EQ(record.column_count(), 3);
  ASSERT_TRUE(record.null_bitmap());
  EXPECT_EQ(record.null_bitmap()->size(), 1u);
  EXPECT_TRUE(record.is_null(1));
  EXPECT_FALSE(record.is_null(0));
  EXPECT_EQ(record.variable_count(), 2);
  ASSERT_EQ(record.variable_values().size(), 2u);
  EXPECT_EQ(record.variable_values()[0].bytes, bytes_of("ab"));
  EXPECT_EQ(record.variable_values()[1].bytes, bytes_of("cde"));
  EXPECT_EQ(record.variable_values()[1].length, 3);
  EXPECT_EQ(record.variable_values()[0].column_id, -1);
  EXPECT_EQ(record.record_length(), static_cast<std::int32_t>(bytes.size()));
  ASSERT_TRUE(record.record_bytes());
  EXPECT_EQ(*record.record_bytes(), bytes);
}

TEST(Record, FixedEndOfFourMeansNoFixedDataAndTheCountAtFour) {
  RecordSpec desc;
  desc.column_count = 2;
  desc.variable = {{bytes_of("x")}, {bytes_of("yz")}};
  const CPrimaryRecord record = decode(page_with(writer::encode_record(desc)));
  EXPECT_FALSE(record.fixed_data());
  EXPECT_EQ(record.fixed_length(), 0);
  EXPECT_EQ(record.column_count(), 2);
  ASSERT_EQ(record.variable_values().size(), 2u);
  EXPECT_EQ(record.variable_values()[1].bytes, bytes_of("yz"));
}

TEST(Record, RecordTypesAreAdmittedByTypeAndOption) {
  struct Case {
    std::uint8_t type;
    bool show_deleted;
    bool rejected;
  };
  const Case cases[] = {
      {kPrimaryRecord, false, false},     {kForwardedRecord, false, false}, {kIndexRecord, false, true},
      {kBlobFragment, false, true},       {kGhostIndexRecord, false, true}, {kGhostDataRecord, false, true},
      {kGhostDataRecord, true, false},    {kGhostVersionRecord, true, true}, {kGhostIndexRecord, true, true},
  };
  for (const Case& c : cases) {
    RecordSpec desc;
    desc.record_type = c.type;
    desc.fixed = {7, 7};
    desc.column_count = 1;
    ReadOptions options;
    options.show_deleted = c.show_deleted;
    const CPrimaryRecord record = decode(page_with(writer::encode_record(desc)), options);
    EXPECT_EQ(record.rejected(), c.rejected) << "type " << int(c.type) << " show " << c.show_deleted;
    EXPECT_EQ(record.record_type(), c.type);
    // Ghost types are deleted unless deleted records are shown; then nothing is.
    EXPECT_EQ(record.deleted(), !c.show_deleted && c.type >= kGhostIndexRecord);
  }
}

TEST(Record, GhostDataRecordWithStatus3CIsReadWhenDeletedRecordsAreShown) {
  RecordSpec desc;
  desc.record_type = kGhostDataRecord;
  desc.fixed = {9, 8, 7, 6};
  desc.nulls = {false, false};
  desc.variable = {{bytes_of("gone")}};
  const std::vector<std::uint8_t> bytes = writer::encode_record(desc);
  ASSERT_EQ(bytes[0], 0x3C);
  ReadOptions show;
  show.show_deleted = true;
  const CPrimaryRecord record = decode(page_with(bytes), show);
  EXPECT_FALSE(record.rejected());
  EXPECT_FALSE(record.deleted());
  ASSERT_EQ(record.variable_values().size(), 1u);
  EXPECT_EQ(record.variable_values()[0].bytes, bytes_of("gone"));
}

TEST(Record, PagesThatHoldNoRecordsRejectTheirRecords) {
  RecordSpec desc;
  desc.fixed = {1};
  const std::vector<std::uint8_t> page = page_with(writer::encode_record(desc));
  struct Case {
    std::int32_t page_number;
    std::uint8_t page_type;
    bool rejected;
  };
  for (const Case c : {Case{-1, 1, true}, Case{5, 18, true}, Case{5, 17, false}, Case{0, 1, false}}) {
    const CPrimaryRecord record(site_on(page, c.page_number, c.page_type), kRecordOffset, 8096, {});
    EXPECT_EQ(record.rejected(), c.rejected) << c.page_number << "/" << int(c.page_type);
  }
}

TEST(Record, EmptyAndBackwardVariableValuesKeepTheRunningOffset) {
  // Three variable columns: "ab", an empty one (end equals the running offset), then "cd".
  RecordSpec desc;
  desc.fixed = {1, 2};
  desc.nulls = {false, false, false, false};
  desc.variable = {{bytes_of("ab")}, {{}}, {bytes_of("cd")}};
  std::vector<std::uint8_t> bytes = writer::encode_record(desc);
  const CPrimaryRecord record = decode(page_with(bytes));
  ASSERT_EQ(record.variable_values().size(), 3u);
  EXPECT_FALSE(record.variable_values()[1].bytes);
  EXPECT_EQ(record.variable_values()[1].length, 0);
  EXPECT_EQ(record.variable_values()[2].bytes, bytes_of("cd"));
  EXPECT_EQ(record.record_length(), static_cast<std::int32_t>(bytes.size()));

  // An end offset pointing backwards gives an entry without bytes; the next value still reads.
  const std::size_t offsets_at = 4 + 2 + 2 + 1 + 2;
  bytes[offsets_at + 2] = 3;  // second end offset: 3, before the running offset
  bytes[offsets_at + 3] = 0;
  const CPrimaryRecord backward = decode(page_with(bytes));
  ASSERT_EQ(backward.variable_values().size(), 3u);
  EXPECT_FALSE(backward.variable_values()[1].bytes);
  EXPECT_EQ(backward.variable_values()[2].bytes, bytes_of("cd"));
}

TEST(Record, ComplexFlagsAndSparseVectors) {
  const std::vector<std::uint8_t> sparse =
      writer::sparse_vector({{7, bytes_of("seven")}, {12, {}}, {30, bytes_of("thirty")}});
  std::vector<std::uint8_t> text_pointer(16, 0);
  text_pointer[0] = 5;  // looks like a sparse vector, but a 16-byte value is a text pointer
  RecordSpec desc;
  desc.fixed = {1, 2, 3, 4};
  desc.nulls = {false, false, false};
  desc.variable = {{text_pointer, true}, {bytes_of("plain")}, {sparse, true}};
  const CPrimaryRecord record = decode(page_with(writer::encode_record(desc)));

  ASSERT_EQ(record.variable_values().size(), 3u);
  EXPECT_TRUE(record.variable_values()[0].complex);
  EXPECT_FALSE(record.variable_values()[1].complex);
  EXPECT_TRUE(record.variable_values()[2].complex);
  ASSERT_TRUE(record.sparse_vector());
  const std::vector<VariableValue>& values = record.sparse_vector()->values;
  ASSERT_EQ(values.size(), 3u);
  EXPECT_EQ(values[0].column_id, 7);
  EXPECT_EQ(values[0].bytes, bytes_of("seven"));
  EXPECT_EQ(values[1].column_id, 12);
  EXPECT_FALSE(values[1].bytes);
  EXPECT_EQ(values[2].column_id, 30);
  EXPECT_EQ(values[2].bytes, bytes_of("thirty"));
  // Variable ends are kept with bit 15 cleared.
  EXPECT_EQ(record.variable_ends()[0] & 0x8000, 0);
}

TEST(Record, TextPointerWithComplexIdFiveIsNotASparseVector) {
  std::vector<std::uint8_t> text_pointer(16, 0);
  text_pointer[0] = 5;
  text_pointer[2] = 1;
  RecordSpec desc;
  desc.fixed = {1};
  desc.nulls = {false};
  desc.variable = {{text_pointer, true}};
  const CPrimaryRecord record = decode(page_with(writer::encode_record(desc)));
  EXPECT_FALSE(record.sparse_vector());
  ASSERT_EQ(record.variable_values().size(), 1u);
  EXPECT_EQ(record.variable_values()[0].length, 16);
}

TEST(Record, SparseVectorWhoseCountsDoNotFitIsDropped) {
  std::vector<std::uint8_t> value = writer::sparse_vector({{1, bytes_of("a")}});
  value[2] = 0xFF;  // column count 255 cannot fit in the value
  const ReadOptions options;
  EXPECT_FALSE(decode_sparse_vector(ByteReader(value), options));
  EXPECT_FALSE(decode_sparse_vector(ByteReader(std::vector<std::uint8_t>{5, 0, 0, 0}), options));
}

TEST(Record, VariableCountAboveColumnCountLeavesNoRecordBytes) {
  RecordSpec desc;
  desc.fixed = {1, 2};
  desc.column_count = 2;
  desc.variable = {{bytes_of("a")}, {bytes_of("b")}};
  desc.variable_count = 3;
  const CPrimaryRecord record = decode(page_with(writer::encode_record(desc)));
  EXPECT_FALSE(record.rejected());
  EXPECT_EQ(record.variable_count(), 0);
  EXPECT_EQ(record.record_length(), 0);
  EXPECT_FALSE(record.record_bytes());
  EXPECT_TRUE(record.variable_values().empty());
}

TEST(Record, OutOfRangeColumnCountsLeaveNoRecordBytes) {
  for (const std::uint16_t count : {std::uint16_t{0}, std::uint16_t{1024}, std::uint16_t{0xFFFF}}) {
    RecordSpec desc;
    desc.fixed = {1, 2};
    desc.column_count = count;
    desc.null_bitmap = false;
    const CPrimaryRecord record = decode(page_with(writer::encode_record(desc)));
    EXPECT_FALSE(record.record_bytes()) << count;
    EXPECT_FALSE(record.null_bitmap()) << count;
    EXPECT_EQ(record.record_length(), 6) << count;
  }
}

TEST(Record, FixedDataReachingPastTheRecordIsNotTaken) {
  RecordSpec desc;
  desc.fixed = {1, 2, 3, 4};
  desc.fixed_end = 8059;  // far beyond what the page holds after the record
  const std::size_t offset = kPageSize - 40;
  const CPrimaryRecord record = decode(page_with(writer::encode_record(desc), offset), {}, offset);
  EXPECT_FALSE(record.fixed_data());
  EXPECT_EQ(record.fixed_length(), 8055);
}

TEST(Record, CompressedRecordKeepsItsRegionsForTheRebuild) {
  const std::vector<std::uint8_t> bytes = writer::CompressedRecord(
      {writer::CompressedInteger(5), writer::CompressedValue{1, {}, false}, writer::CompressedText("a long enough text")});
  const CPrimaryRecord record = decode(page_with(bytes));
  EXPECT_TRUE(record.compressed());
  EXPECT_FALSE(record.rejected());
  ASSERT_TRUE(record.compressed_parts());
  EXPECT_EQ(record.compressed_parts()->column_count, 3);
  EXPECT_EQ(record.column_count(), 3);
  EXPECT_EQ(record.compressed_parts()->code(1), kCodeEmpty);
  // The short data region stands for the fixed data; the long values for the variable ones.
  ASSERT_TRUE(record.fixed_data());
  EXPECT_EQ(*record.fixed_data(), std::vector<std::uint8_t>{0x85});
  ASSERT_EQ(record.variable_values().size(), 1u);
  EXPECT_EQ(record.variable_values()[0].bytes, bytes_of("a long enough text"));
  EXPECT_EQ(record.record_length(), static_cast<std::int32_t>(bytes.size()));
}

TEST(Record, CompressedRecordWithoutColumnsIsRejected) {
  const CPrimaryRecord record = decode(page_with({0x01, 0x00, 0x00}));
  EXPECT_TRUE(record.compressed());
  EXPECT_TRUE(record.rejected());
}

TEST(Record, ForwardingStubWithoutAFileHasMissingTarget) {
  const CPrimaryRecord record = decode(page_with(writer::forwarding_stub(PageAddress{1, 20}, 0)));
  EXPECT_TRUE(record.is_forwarding_stub());
  EXPECT_FALSE(record.fixed_data());
  EXPECT_EQ(record.fixed_length(), kMissingForwardTarget);
}

TEST(Record, CarvingReportsTheSpanOfRecordLikeBytes) {
  RecordSpec desc;
  desc.fixed = std::vector<std::uint8_t>(128, 0x11);
  desc.nulls = {false, false, false};
  desc.variable = {{bytes_of("one")}, {bytes_of("two")}};
  const std::vector<std::uint8_t> row = writer::encode_record(desc);
  RecordSpec ghost_spec = desc;
  ghost_spec.record_type = kGhostDataRecord;
  ReadOptions carving;
  carving.show_deleted = true;
  carving.advanced_deleted = true;

  struct Case {
    std::vector<std::uint8_t> bytes;
    std::int32_t length;
  };
  const Case cases[] = {
      {row, static_cast<std::int32_t>(row.size())},
      {writer::encode_record(ghost_spec), static_cast<std::int32_t>(row.size())},
      {writer::forwarding_stub(PageAddress{1, 5}, 1), -1},
      {{0x01, 0x03, 0x00}, -1},                 // compressed
      {{0x36, 0x00, 0x08, 0x00}, -1},           // index record type 3 is not admitted
      {{0x30, 0x00, 0x04, 0x00, 0x00, 0x00}, -1},  // column count 0
  };
  for (const Case& c : cases) {
    const std::vector<std::uint8_t> page = page_with(c.bytes);
    const CPrimaryRecord::Carved carved = CPrimaryRecord::carve(site_on(page), kRecordOffset, carving);
    EXPECT_EQ(carved.length, c.length) << int(c.bytes[0]);
    EXPECT_FALSE(carved.record.record_bytes());
  }
  // The carved record carries its pieces for the walk's own view of the page.
  const std::vector<std::uint8_t> page = page_with(row);
  const CPrimaryRecord::Carved carved = CPrimaryRecord::carve(site_on(page), kRecordOffset, carving);
  ASSERT_EQ(carved.record.variable_values().size(), 2u);
  EXPECT_EQ(carved.record.variable_values()[1].bytes, bytes_of("two"));
}

TEST(Record, DecodingAnyBytesAnywhereStaysInsideThePage) {
  // Random pages decoded at every offset of the last bytes and at random offsets: the sanitizer
  // build proves that no read leaves the page buffer.
  std::mt19937 random(1234);
  ReadOptions options;
  options.show_deleted = true;
  options.advanced_deleted = true;
  for (int round = 0; round < 40; ++round) {
    std::vector<std::uint8_t> page(kPageSize);
    for (std::uint8_t& byte : page) byte = static_cast<std::uint8_t>(random());
    // Make plausible headers frequent: data record status with small offsets.
    for (std::size_t at = 96; at + 4 < kPageSize; at += 97) {
      page[at] = (round % 2) ? 0x30 : 0x3C;
      page[at + 1] = 0;
      page[at + 2] = static_cast<std::uint8_t>(random() % 40);
      page[at + 3] = 0;
    }
    std::vector<std::size_t> offsets;
    for (std::size_t at = kPageSize - 12; at <= kPageSize; ++at) offsets.push_back(at);
    for (int i = 0; i < 200; ++i) offsets.push_back(96 + random() % (kPageSize - 96));
    for (std::size_t at = 96; at + 4 < kPageSize; at += 97) offsets.push_back(at);
    for (const std::size_t at : offsets) {
      const CPrimaryRecord record(site_on(page), at, static_cast<std::uint16_t>(kPageSize - at), options);
      if (record.record_bytes()) {
        EXPECT_LE(at + record.record_bytes()->size(), kPageSize);
      }
      const CPrimaryRecord::Carved carved = CPrimaryRecord::carve(site_on(page), at, options);
      EXPECT_LE(carved.length, static_cast<std::int32_t>(kPageSize - at));
    }
  }
}

}  // namespace
}  // namespace portalmend
