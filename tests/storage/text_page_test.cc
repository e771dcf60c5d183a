#include "storage/text_page.h"

#include <gtest/gtest.h>

#include "storage/database_file.h"
#include "storage/headless_frame.h"
#include "support/data_file_writer.h"
#include "support/lob_writer.h"
#include "support/temp_dir.h"

namespace portalmend {
namespace {

using writer::Bytes;

TEST(TextPage, SlotsOutsideThePageBodyHoldNoRecord) {
  writer::PageWriter page = writer::standard_page(100, 77, 3);
  page.add_record(writer::DataRecord(1, {'o', 'k'}));
  page.add_slot(90);
  page.add_slot(8200);
  const Bytes bytes = page.build();
  const ByteReader view(bytes);
  ASSERT_TRUE(TextRecordAtSlot(view, 0));
  EXPECT_EQ(TextRecordAtSlot(view, 0)->structure_type(), 3);
  EXPECT_FALSE(TextRecordAtSlot(view, 1));
  EXPECT_FALSE(TextRecordAtSlot(view, 2));
  EXPECT_FALSE(TextRecordAtSlot(view, 3));
  EXPECT_EQ(TextPageSlotOffsets(view).size(), 3u);
}

TEST(TextPage, RecordRunningPastThePageEndHasNoData) {
  writer::PageWriter page = writer::standard_page(100, 77, 3);
  Bytes record = writer::DataRecord(1, {'x'});
  record[2] = 0xFF;  // fixed-length end far beyond the page
  record[3] = 0x7F;
  page.add_record(record);
  const Bytes bytes = page.build();
  auto text = TextRecordAtSlot(ByteReader(bytes), 0);
  ASSERT_TRUE(text);
  EXPECT_FALSE(text->has_data());
  EXPECT_EQ(text->structure_type(), TextRecord::kUnusableType);
}

// A small database with text pages from page 40 on.
class TextPageFile : public ::testing::Test {
 protected:
  void Write(writer::DataFileWriter& file) { ASSERT_TRUE(file.write(dir_.file("lob.mdf"))); }
  std::unique_ptr<DatabaseFile> Open() { return DatabaseFile::Open(dir_.file("lob.mdf"), frame_); }

  writer::TempDir dir_;
  HeadlessFrame frame_;
};

TEST_F(TextPageFile, ValueSpreadOverTextPagesAssemblesFromTheFile) {
  Bytes value(30000);
  for (std::size_t i = 0; i < value.size(); ++i) value[i] = static_cast<std::uint8_t>(i % 253);
  writer::LobPageSet pages(40);
  const auto root = writer::WriteLobTree(pages, value, writer::LobShape::kInternalTree);
  writer::DataFileWriter file = writer::small_database(8);
  for (const auto& [key, records] : pages.pages()) file.set_page(key.second, writer::TextPage(key.second, records));
  Write(file);
  auto db = Open();
  ASSERT_TRUE(db && db->is_open());
  DatabaseLobSource source(*db);
  const LobValue out = LobAssembler(source).FromTextPointer(ByteReader(writer::TextPointer(root)));
  EXPECT_TRUE(out.complete);
  EXPECT_EQ(out.bytes, value);
}

TEST_F(TextPageFile, ShiftedPageIsReadFromThePositionThatStoresTheRequestedNumber) {
  // The root asks for page 42. The page at position 42 stores 44 (a shift of 2); the page at
  // position 40 stores 42 and holds the real record.
  writer::DataFileWriter file = writer::small_database(8);
  file.set_page(40, writer::TextPage(40, {writer::SmallRootRecord(1, {'r', 'i', 'g', 'h', 't'})}, 77, 1, 42));
  file.set_page(42, writer::TextPage(42, {writer::SmallRootRecord(1, {'w', 'r', 'o', 'n', 'g'})}, 77, 1, 44));
  // A page whose stored number is unrelated (a stale page): read as it is.
  file.set_page(45, writer::TextPage(45, {writer::SmallRootRecord(1, {'s', 't', 'a', 'l', 'e'})}, 77, 1, 9000));
  Write(file);
  auto db = Open();
  ASSERT_TRUE(db && db->is_open());
  DatabaseLobSource source(*db);
  EXPECT_EQ(TextFromTextPointer(source, ByteReader(writer::TextPointer({1, 42, 0})), {}), "right");
  EXPECT_EQ(TextFromTextPointer(source, ByteReader(writer::TextPointer({1, 45, 0})), {}), "stale");
  // A slot beyond the page's records and a page beyond the file read as a blank.
  EXPECT_EQ(TextFromTextPointer(source, ByteReader(writer::TextPointer({1, 45, 3})), {}), " ");
  EXPECT_EQ(TextFromTextPointer(source, ByteReader(writer::TextPointer({1, 99999, 0})), {}), " ");
  // The page class reads the same corrected page, one record per slot.
  auto page = read_text_page(*db, {1, 42});
  ASSERT_TRUE(page);
  ASSERT_EQ(page->records().size(), 1u);
  EXPECT_EQ(page->header().page_number(), 42);
  EXPECT_EQ(page->records()[0]->structure_type(), 0);
  EXPECT_TRUE(page->release_record(0));
  EXPECT_FALSE(page->records()[0]);
}

}  // namespace
}  // namespace portalmend
