#include "storage/page.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "storage/app_settings.h"
#include "storage/database_file.h"
#include "storage/headless_frame.h"
#include "support/compressed_writer.h"
#include "support/data_file_writer.h"
#include "support/page_writer.h"
#include "support/record_writer.h"
#include "support/temp_dir.h"

namespace portalmend {
namespace {

using writer::PageWriter;
using writer::RecordSpec;

std::vector<std::uint8_t> bytes_of(const std::string& text) { return {text.begin(), text.end()}; }

// A row shaped like the rows carving looks for: 128 bytes of fixed data (fixed end 132), a
// null bitmap and variable columns.
std::vector<std::uint8_t> wide_row(const std::string& text, std::uint8_t type = kPrimaryRecord) {
  RecordSpec desc;
  desc.record_type = type;
  desc.fixed = std::vector<std::uint8_t>(128, static_cast<std::uint8_t>(text.empty() ? 0 : text[0]));
  desc.nulls = {false, false};
  desc.variable = {{bytes_of(text)}};
  return writer::encode_record(desc);
}

std::vector<std::uint8_t> small_row(const std::string& text) {
  RecordSpec desc;
  desc.fixed = {1, 2, 3, 4};
  desc.nulls = {false, false};
  desc.variable = {{bytes_of(text)}};
  return writer::encode_record(desc);
}

PageWriter data_page(std::int32_t page_number = 20) {
  PageWriter page;
  page.header().page_type = 1;
  page.header().page_number = page_number;
  page.header().object_id = 245575913;
  return page;
}

// The text of a record's first variable column, or "" for an empty or rejected entry.
std::string text_of(const std::unique_ptr<CPrimaryRecord>& record) {
  if (!record || record->rejected() || record->variable_values().empty()) return "";
  const VariableValue& value = record->variable_values().front();
  if (!value.bytes) return "";
  return std::string(value.bytes->begin(), value.bytes->end());
}

std::vector<std::string> texts(const PrimaryRecordPage& page) {
  std::vector<std::string> out;
  for (const std::unique_ptr<CPrimaryRecord>& record : page.records()) out.push_back(text_of(record));
  return out;
}

TEST(RecordPage, SlotArrayIsReadBackwardsFromTheEndOfThePage) {
  PageWriter writer = data_page();
  writer.add_record(small_row("first"));
  writer.add_record(small_row("second"));
  writer.add_slot(writer::kWriterHeaderSize);  // a third slot at the first record again
  const PrimaryRecordPage page(writer.build(), nullptr, {});
  ASSERT_TRUE(page.slot_array());
  EXPECT_EQ(page.slot_count(), 3);
  EXPECT_EQ((*page.slot_array())[0], 96);
  EXPECT_EQ(texts(page), (std::vector<std::string>{"first", "second", "first"}));
}

TEST(RecordPage, UnusableSlotsAndPagesGiveEmptyEntries) {
  struct Case {
    const char* what;
    void (*shape)(PageWriter&);
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"slot count 0", [](PageWriter& p) { p.header().slot_count = 0; }, {}},
      {"slot count 4000", [](PageWriter& p) { p.header().slot_count = 4000; }, {}},
      {"slot count 3999", [](PageWriter& p) { p.header().slot_count = 3999; }, {}},
      {"slot offsets 90 and 8200",
       [](PageWriter& p) {
         p.add_slot(90);
         p.add_slot(8200);
         p.add_slot(0);
       },
       {"a", "b", "", "", ""}},
      {"non-leaf index page",
       [](PageWriter& p) {
         p.header().page_type = 2;
         p.header().level = 1;
       },
       {"", ""}},
      {"leaf index page", [](PageWriter& p) { p.header().page_type = 2; }, {"a", "b"}},
      {"every slot a ghost", [](PageWriter& p) { p.header().ghost_record_count = 2; }, {"", ""}},
      {"negative next page", [](PageWriter& p) { p.header().next_page_number = -1; }, {}},
      {"negative page number", [](PageWriter& p) { p.header().page_number = -7; }, {}},
  };
  for (const Case& c : cases) {
    PageWriter writer = data_page();
    writer.add_record(small_row("a"));
    writer.add_record(small_row("b"));
    c.shape(writer);
    const PrimaryRecordPage page(writer.build(), nullptr, {});
    std::vector<std::string> got = texts(page);
    // A slot count of 3999 has slots beyond the two written: only those two are records.
    if (std::string(c.what) == "slot count 3999") {
      EXPECT_EQ(page.record_count(), 3999u);
      EXPECT_EQ(got[0], "a");
      EXPECT_EQ(got[1], "b");
      continue;
    }
    EXPECT_EQ(got, c.expected) << c.what;
  }
}

TEST(RecordPage, EveryGhostPageShowsItsRowsWhenDeletedRecordsAreShown) {
  PageWriter writer = data_page();
  writer.add_record(small_row("a"));
  writer.add_record(wide_row("ghost", kGhostDataRecord));
  writer.header().ghost_record_count = 2;
  ReadOptions show;
  show.show_deleted = true;
  const PrimaryRecordPage page(writer.build(), nullptr, show);
  EXPECT_EQ(texts(page), (std::vector<std::string>{"a", "ghost"}));
  EXPECT_FALSE(page.records()[1]->deleted());
}

// A page with a live row, a ghost row in a slot, a deleted row that no slot points to, and a
// second live row after it: the options decide which appear.
TEST(RecordPage, DeletedRowsAppearAsTheOptionsSay) {
  PageWriter writer = data_page();
  writer.add_record(wide_row("live"));
  writer.add_record(wide_row("ghost", kGhostDataRecord));
  const std::vector<std::uint8_t> deleted = wide_row("deleted");
  const std::size_t deleted_at = writer.next_record_offset();
  writer.put_bytes(deleted_at, deleted);
  writer.add_slot(static_cast<std::uint16_t>(deleted_at + deleted.size()));
  writer.put_bytes(deleted_at + deleted.size(), wide_row("after"));
  writer.header().ghost_record_count = 1;
  const std::vector<std::uint8_t> bytes = writer.build();

  struct Case {
    bool show_deleted;
    bool advanced_deleted;
    std::vector<std::string> expected;
    int carved;
  };
  const Case cases[] = {
      {false, false, {"live", "", "after"}, 0},
      {true, false, {"live", "ghost", "after"}, 0},
      {false, true, {"live", "", "after"}, 0},
      {true, true, {"live", "ghost", "after", "deleted"}, 1},
  };
  for (const Case& c : cases) {
    ReadOptions options;
    options.show_deleted = c.show_deleted;
    options.advanced_deleted = c.advanced_deleted;
    const PrimaryRecordPage page(bytes, nullptr, options);
    EXPECT_EQ(texts(page), c.expected) << c.show_deleted << c.advanced_deleted;
    EXPECT_EQ(page.carved_count(), c.carved);
    // The ghost slot is there either way; it is only rejected while ghosts are hidden.
    ASSERT_TRUE(page.records()[1]);
    EXPECT_EQ(page.records()[1]->rejected(), !c.show_deleted);
    if (c.carved) {
      EXPECT_EQ(page.record_offsets().back(), deleted_at);
      EXPECT_FALSE(page.carved_records().empty());
    } else {
      EXPECT_TRUE(page.carved_records().empty());
    }
  }
}

TEST(RecordPage, CarvingFindsDeletedRowsBehindGarbageAndOnPagesWithoutSlots) {
  PageWriter writer = data_page();
  const std::vector<std::uint8_t> garbage(37, 0xEE);
  writer.put_bytes(96, garbage);
  const std::vector<std::uint8_t> first = wide_row("one");
  writer.put_bytes(96 + garbage.size(), first);
  writer.put_bytes(96 + garbage.size() + first.size() + 11, wide_row("two", kGhostDataRecord));
  writer.header().slot_count = 0;
  ReadOptions options;
  options.show_deleted = true;
  options.advanced_deleted = true;
  const PrimaryRecordPage page(writer.build(), nullptr, options);
  EXPECT_EQ(texts(page), (std::vector<std::string>{"one", "two"}));
  EXPECT_EQ(page.carved_count(), 2);

  options.advanced_deleted = false;
  const PrimaryRecordPage plain(writer.build(), nullptr, options);
  EXPECT_EQ(plain.record_count(), 0u);
  EXPECT_TRUE(plain.carved_records().empty());
}

TEST(RecordPage, CarvingStopsWhenTheUserAborts) {
  PageWriter writer = data_page();
  writer.put_bytes(96, wide_row("one"));
  writer.header().slot_count = 0;
  ReadOptions options;
  options.show_deleted = true;
  options.advanced_deleted = true;
  theApp.abort_flag = 1;
  const PrimaryRecordPage page(writer.build(), nullptr, options);
  theApp.abort_flag = 0;
  EXPECT_EQ(page.record_count(), 0u);
}

TEST(RecordPage, TornBitsAreRestoredBeforeRecordsAreRead) {
  PageWriter writer = data_page();
  // A value running across the sector end at byte 1023.
  writer.add_record(small_row(std::string(1200, 'q')));
  const PrimaryRecordPage page(writer.build_torn(2), nullptr, {});
  EXPECT_EQ(text_of(page.records()[0]), std::string(1200, 'q'));
}

TEST(RecordPage, CompressedPagesKeepTheirCompressionInformation) {
  const std::vector<std::uint8_t> anchor = writer::CompressedRecord({writer::CompressedText("abcdef")});
  const std::vector<std::vector<std::uint8_t>> dictionary = {bytes_of("shared")};
  const std::vector<std::uint8_t> info = writer::CompressionInfoBlock(&anchor, &dictionary);
  PageWriter writer = data_page();
  writer.header().type_flag_bits = 0x80;
  // The compression information sits at the start of the body; the rows follow it.
  writer.put_bytes(96, info);
  const std::size_t row_at = 96 + info.size();
  writer.put_bytes(row_at, writer::CompressedRecord({writer::CompressedValue{12, {0}, false}}));
  writer.add_slot(static_cast<std::uint16_t>(row_at));
  const std::vector<std::uint8_t> page_bytes = writer.build();

  struct Case {
    bool legacy;
    bool has_info;
  };
  for (const Case c : {Case{false, true}, Case{true, false}}) {
    ReadOptions options;
    options.legacy_catalog = c.legacy;
    const PrimaryRecordPage page(page_bytes, nullptr, options);
    EXPECT_EQ(page.compression_info().has_value(), c.has_info);
    if (c.has_info) {
      ASSERT_EQ(page.compression_info()->dictionary.size(), 1u);
      EXPECT_EQ(page.compression_info()->dictionary[0], bytes_of("shared"));
    }
    ASSERT_EQ(page.record_count(), 1u);
    ASSERT_TRUE(page.records()[0]);
    EXPECT_TRUE(page.records()[0]->compressed_parts());
    EXPECT_EQ(page.records()[0]->compressed_parts()->code(0), kCodeDictionary);
  }
}

TEST(RecordPage, RandomPagesAreReadWithoutLeavingTheirBuffer) {
  // Pages of random bytes with plausible slot arrays and row starts, read with every option
  // combination: the sanitizer build proves that nothing is read outside the page.
  std::mt19937 random(77);
  for (int round = 0; round < 24; ++round) {
    std::vector<std::uint8_t> bytes(kPageBufferSize, 0);
    for (std::size_t i = 0; i < kPageSize; ++i) bytes[i] = static_cast<std::uint8_t>(random());
    PageWriter header = data_page();
    header.header().slot_count = static_cast<std::uint16_t>(random() % 300);
    header.header().ghost_record_count = static_cast<std::int16_t>(random() % 3);
    header.header().type_flag_bits = (round % 3 == 0) ? 0x80 : 0;
    header.header().flag_bits = (round % 4 == 0) ? 0x0100 : 0;
    const std::vector<std::uint8_t> head = header.build();
    std::copy(head.begin(), head.begin() + 64, bytes.begin());
    for (std::size_t at = 96 + random() % 50; at + 4 < kPageSize; at += 60 + random() % 200) {
      bytes[at] = (random() % 2) ? 0x30 : 0x3C;
      bytes[at + 1] = 0;
      bytes[at + 2] = (random() % 2) ? 0x84 : static_cast<std::uint8_t>(random() % 64);
      bytes[at + 3] = 0;
    }
    for (int slot = 0; slot < header.header().slot_count.value_or(0); ++slot) {
      const std::uint16_t offset = static_cast<std::uint16_t>(random() % 8300);
      bytes[8190 - 2 * slot] = static_cast<std::uint8_t>(offset & 0xFF);
      bytes[8191 - 2 * slot] = static_cast<std::uint8_t>(offset >> 8);
    }
    for (const bool show : {false, true}) {
      for (const bool advanced : {false, true}) {
        ReadOptions options;
        options.show_deleted = show;
        options.advanced_deleted = advanced;
        const PrimaryRecordPage page(bytes, nullptr, options);
        for (const std::unique_ptr<CPrimaryRecord>& record : page.records()) {
          if (record && record->record_bytes()) {
            EXPECT_LE(record->record_bytes()->size(), kPageSize);
          }
        }
      }
    }
  }
}

// Forwarding stubs read through a file written to disk.
class ForwardingStubs : public ::testing::Test {
 protected:
  static constexpr std::int32_t kStubPage = 10;
  static constexpr std::int32_t kTargetPage = 11;

  void SetUp() override {
    writer::DataFileWriter file(16);
    PageWriter target = data_page(kTargetPage);
    target.add_record(forwarded_row("moved"));
    target.add_record(writer::forwarding_stub(PageAddress{1, kTargetPage}, 0));  // a stub at a stub
    target.add_record(forwarded_row("third"));
    file.set_page(kTargetPage, target);

    PageWriter stubs = data_page(kStubPage);
    stubs.add_record(writer::forwarding_stub(PageAddress{1, kTargetPage}, 0));
    stubs.add_record(writer::forwarding_stub(PageAddress{1, kTargetPage}, 5));
    stubs.add_record(writer::forwarding_stub(PageAddress{1, kTargetPage}, 3));
    stubs.add_record(writer::forwarding_stub(PageAddress{1, 500}, 0));
    stubs.add_record(writer::forwarding_stub(PageAddress{1, kTargetPage}, 1));
    stubs.add_record(writer::forwarding_stub(PageAddress{1, kStubPage}, 5));  // itself
    stubs.add_record(writer::forwarding_stub(PageAddress{1, kTargetPage}, -1));
    stubs.add_record(writer::forwarding_stub(PageAddress{7, kTargetPage}, 0));  // unknown file
    file.set_page(kStubPage, stubs);
    // An allocation page in its place makes the file one of ours.
    PageWriter map;
    map.header().page_type = 8;
    map.header().object_id = 99;
    map.header().page_number = 2;
    file.set_page(2, map);
    ASSERT_TRUE(file.write(dir_.file("stubs.mdf")));
    database_ = DatabaseFile::Open(dir_.file("stubs.mdf"), frame_);
    ASSERT_TRUE(database_->is_open());
  }

  static std::vector<std::uint8_t> forwarded_row(const std::string& text) {
    RecordSpec desc;
    desc.record_type = kForwardedRecord;
    desc.fixed = {5, 6, 7, 8, 9, 10};
    desc.nulls = {false, false};
    desc.variable = {{bytes_of(text)}};
    return writer::encode_record(desc);
  }

  writer::TempDir dir_;
  HeadlessFrame frame_;
  std::unique_ptr<DatabaseFile> database_;
};

TEST_F(ForwardingStubs, StubsAreFollowedToTheirTargetOrMarkedMissing) {
  const std::unique_ptr<CDataPage> page = read_data_page(*database_, PageAddress{1, kStubPage}, {});
  ASSERT_TRUE(page);
  ASSERT_EQ(page->record_count(), 8u);
  const auto& records = page->records();

  // Slot 0: the target exists and its pieces become the stub's, which stays a stub.
  const CPrimaryRecord& present = *records[0];
  EXPECT_TRUE(present.is_forwarding_stub());
  EXPECT_FALSE(present.rejected());
  ASSERT_TRUE(present.fixed_data());
  EXPECT_EQ(*present.fixed_data(), (std::vector<std::uint8_t>{5, 6, 7, 8, 9, 10}));
  EXPECT_EQ(text_of(records[0]), "moved");
  ASSERT_TRUE(present.record_bytes());
  EXPECT_EQ(*present.record_bytes(), forwarded_row("moved"));

  // Slots 1-7: slot 5 of a 3-slot page, slot 3 (one past the last), a page beyond the file,
  // a stub that leads to another stub, a stub pointing at itself, a negative slot, a file
  // that is not part of the database.
  for (std::size_t i = 1; i < records.size(); ++i) {
    ASSERT_TRUE(records[i]) << i;
    EXPECT_FALSE(records[i]->fixed_data()) << i;
    EXPECT_EQ(records[i]->fixed_length(), kMissingForwardTarget) << i;
    EXPECT_FALSE(records[i]->record_bytes()) << i;
  }
}

TEST_F(ForwardingStubs, OneSlotPageHoldsOnlyTheTargetRecord) {
  std::optional<PageBuffer> buffer = database_->read_raw_page(PageAddress{1, kTargetPage});
  ASSERT_TRUE(buffer);
  const std::unique_ptr<PrimaryRecordPage> page = PrimaryRecordPage::one_slot(*buffer, database_.get(), 2, {});
  ASSERT_EQ(page->record_count(), 1u);
  EXPECT_EQ(text_of(page->records()[0]), "third");
  EXPECT_EQ(PrimaryRecordPage::one_slot(*buffer, database_.get(), 3, {})->record_count(), 0u);
}

TEST_F(ForwardingStubs, DataPageReaderRefusesPagesOutsideTheFile) {
  EXPECT_FALSE(read_data_page(*database_, PageAddress{1, 0}, {}));
  EXPECT_FALSE(read_data_page(*database_, PageAddress{1, 99}, {}));
  EXPECT_FALSE(read_data_page(*database_, PageAddress{0, 3}, {}));
  EXPECT_TRUE(read_data_page(*database_, PageAddress{1, 16}, {}));
}

}  // namespace
}  // namespace portalmend
