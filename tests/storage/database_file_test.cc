#include "storage/database_file.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "storage/app_settings.h"
#include "storage/headless_frame.h"
#include "support/data_file_writer.h"
#include "support/page_writer.h"
#include "support/temp_dir.h"

namespace portalmend {
namespace {

using writer::DataFileWriter;
using writer::TempDir;

class DatabaseFileTest : public ::testing::Test {
 protected:
  void SetUp() override { theApp.reset(); }
  void TearDown() override { theApp.reset(); }

  std::string write(const DataFileWriter& file, const std::string& name = "db.mdf") {
    const std::string path = dir_.file(name);
    EXPECT_TRUE(file.write(path));
    return path;
  }
  std::string write_bytes(const std::vector<std::uint8_t>& bytes, const std::string& name = "db.mdf") {
    const std::string path = dir_.file(name);
    EXPECT_TRUE(writer::write_file(path, bytes));
    return path;
  }

  TempDir dir_;
  HeadlessFrame frame_;
};

std::vector<std::uint32_t> positions(const std::vector<PageRef>& refs) {
  std::vector<std::uint32_t> out;
  for (const PageRef& ref : refs) out.push_back(ref.page_number);
  return out;
}

TEST_F(DatabaseFileTest, OpensASmallDatabaseAndFilesEveryPage) {
  const std::string path = write(writer::small_database(8));  // 35 pages
  auto db = DatabaseFile::Open(path, frame_);
  ASSERT_TRUE(db->is_open());
  EXPECT_TRUE(frame_.errors().empty());
  EXPECT_EQ(db->path(), path);
  EXPECT_EQ(db->file_size(), 35u * 8192);
  EXPECT_EQ(db->page_count(), 35u);
  EXPECT_EQ(db->leading_offset(), 0u);
  EXPECT_EQ(db->extent_count(), 4u);

  EXPECT_EQ(positions(db->system_pages(7)), (std::vector<std::uint32_t>{10, 16, 17}));
  EXPECT_EQ(positions(db->system_pages(34)), (std::vector<std::uint32_t>{11, 18, 19, 20, 21}));
  EXPECT_EQ(positions(db->system_pages(99)), (std::vector<std::uint32_t>{0, 1, 2, 3, 6, 7, 9}));
  // Unallocated pages and the position just past the last page are filed under id 0.
  EXPECT_EQ(positions(db->system_pages(0)), (std::vector<std::uint32_t>{4, 5, 8, 13, 14, 15, 35}));
  EXPECT_EQ(positions(db->data_pages(7)), (std::vector<std::uint32_t>{16, 17}));
  EXPECT_EQ(positions(db->data_pages(245575913)), (std::vector<std::uint32_t>{27, 28, 29, 30, 31, 32, 33, 34}));
  EXPECT_EQ(positions(db->iam_pages(245575913)), (std::vector<std::uint32_t>{26}));
  EXPECT_EQ(positions(db->iam_pages(34)), (std::vector<std::uint32_t>{11}));
  EXPECT_TRUE(db->system_pages(245575913).empty());
  EXPECT_TRUE(db->data_pages(12345).empty());
  EXPECT_EQ(db->system_pages(9).size(), 0u);

  // Entries carry the header's file id and page type, or the map's constant type.
  EXPECT_EQ(db->system_pages(99)[6], PageRef(1, 9, 13));
  EXPECT_EQ(db->system_pages(7)[0], PageRef(1, 10, 10));
  EXPECT_EQ(db->data_pages(7)[0], PageRef(1, 16, 1));
}

TEST_F(DatabaseFileTest, ReportsBothScansWithTheirTextsAndProgress) {
  const std::string path = write(writer::small_database(400));  // 427 pages
  auto db = DatabaseFile::Open(path, frame_);
  ASSERT_TRUE(db->is_open());
  EXPECT_EQ(frame_.status_texts(),
            (std::vector<std::string>{"Checking for file corruption ...........",
                                      "Checking for file corruption is done...........",
                                      "Mapping Database Objects...........",
                                      "Mapping of Database Objects has been done ......................"}));
  const auto ranges = frame_.messages(UM_PROGRESS_RANGE);
  ASSERT_EQ(ranges.size(), 2u);
  for (const auto& range : ranges) {
    EXPECT_EQ(range.wparam, 0u);
    EXPECT_EQ(range.lparam, 427);
  }
  // Progress is paced (every 5 pages for 427 pages), starts at 0 and ends at the page count.
  std::vector<std::uint64_t> mapping_positions;
  int range_count = 0;  // the mapping scan starts with the second progress range
  for (const auto& m : frame_.messages()) {
    if (m.message == UM_PROGRESS_RANGE) ++range_count;
    if (range_count == 2 && m.message == UM_PROGRESS_POS) mapping_positions.push_back(m.wparam);
  }
  ASSERT_GE(mapping_positions.size(), 3u);
  EXPECT_EQ(mapping_positions.front(), 0u);
  EXPECT_EQ(mapping_positions.back(), 427u);
  EXPECT_EQ(mapping_positions[1], 5u);
  EXPECT_LE(mapping_positions.size(), 90u);
  EXPECT_EQ(frame_.progress_position(), 427u);
}

TEST_F(DatabaseFileTest, ExtraBytesBeforeOrAfterThePagesSettleTheLeadingOffset) {
  struct Case {
    const char* what;
    std::size_t leading;
    std::size_t trailing;
    std::uint64_t expected_offset;
  };
  const Case cases[] = {
      {"no extra bytes", 0, 0, 0},
      {"100 bytes in front", 100, 0, 100},
      {"8191 bytes in front", 8191, 0, 8191},
      {"100 bytes at the end", 0, 100, 0},
      {"4000 bytes at the end", 0, 4000, 0},
  };
  for (const Case& c : cases) {
    DataFileWriter file = writer::small_database(4);
    file.set_leading_bytes(std::vector<std::uint8_t>(c.leading, 0xAB));
    file.set_trailing_bytes(std::vector<std::uint8_t>(c.trailing, 0xCD));
    const std::string path = write(file);
    HeadlessFrame frame;
    auto db = DatabaseFile::Open(path, frame);
    ASSERT_TRUE(db->is_open()) << c.what;
    EXPECT_EQ(db->page_count(), 31u) << c.what;
    EXPECT_EQ(db->leading_offset(), c.expected_offset) << c.what;
    const auto boot = db->read_page_header({1, 9});
    ASSERT_TRUE(boot.has_value()) << c.what;
    EXPECT_EQ(boot->page_type(), 13) << c.what;
    EXPECT_EQ(boot->page_number(), 9) << c.what;
    EXPECT_EQ(positions(db->system_pages(41)), (std::vector<std::uint32_t>{12, 22, 23, 24, 25})) << c.what;
  }
}

TEST_F(DatabaseFileTest, AFileOfAFewPagesWithExtraBytesAtTheEndIsStillAligned) {
  for (std::uint64_t pages : {4u, 5u, 8u}) {
    DataFileWriter file(pages);
    for (std::uint32_t p = 0; p < pages; ++p) file.set_page(p, writer::standard_page(p, 99, 11));
    file.set_trailing_bytes(std::vector<std::uint8_t>(700, 0x5A));
    HeadlessFrame frame;
    auto db = DatabaseFile::Open(write(file), frame);
    ASSERT_TRUE(db->is_open()) << pages;
    EXPECT_EQ(db->leading_offset(), 0u) << pages;
    EXPECT_EQ(db->system_pages(99).size(), pages) << pages;
  }
}

TEST_F(DatabaseFileTest, BadFilesAreRefusedWithTheRightMessage) {
  std::mt19937 random(20240611);
  std::vector<std::uint8_t> noise(64 * 1024);
  for (auto& byte : noise) byte = static_cast<std::uint8_t>(random());

  struct Case {
    const char* what;
    std::string path;
    const char* error;
  };
  const std::string missing = dir_.file("missing.mdf");
  const std::string folder = dir_.file("folder.mdf");
  std::filesystem::create_directory(folder);
  const Case cases[] = {
      {"missing file", missing, DatabaseFile::kCannotOpenText},
      {"directory", folder, DatabaseFile::kCannotOpenText},
      {"empty path", "", DatabaseFile::kCannotOpenText},
      {"empty file", write_bytes({}, "empty.mdf"), DatabaseFile::kNotValidText},
      {"8191 bytes", write_bytes(std::vector<std::uint8_t>(8191, 1), "short.mdf"), DatabaseFile::kNotValidText},
      {"8192 zero bytes", write_bytes(std::vector<std::uint8_t>(8192, 0), "zero.mdf"), DatabaseFile::kNotValidText},
      {"64 KiB of zeros", write_bytes(std::vector<std::uint8_t>(65536, 0), "zeros.mdf"), DatabaseFile::kNotValidText},
      {"random bytes", write_bytes(noise, "noise.mdf"), DatabaseFile::kNotValidText},
      {"random bytes and a tail",
       write_bytes(std::vector<std::uint8_t>(noise.begin(), noise.begin() + 20000), "noise2.mdf"),
       DatabaseFile::kNotValidText},
  };
  for (const Case& c : cases) {
    HeadlessFrame frame;
    auto db = DatabaseFile::Open(c.path, frame);
    EXPECT_FALSE(db->is_open()) << c.what;
    EXPECT_EQ(frame.errors(), std::vector<std::string>{c.error}) << c.what;
  }
}

TEST_F(DatabaseFileTest, OneValidPageIsEnoughAndIsScannedAtPositionsZeroAndOne) {
  const std::string path = write_bytes(writer::standard_page(0, 99, 15).build());
  auto db = DatabaseFile::Open(path, frame_);
  ASSERT_TRUE(db->is_open());
  EXPECT_EQ(db->page_count(), 1u);
  EXPECT_EQ(db->leading_offset(), 0u);
  EXPECT_EQ(positions(db->system_pages(99)), (std::vector<std::uint32_t>{0}));
  EXPECT_EQ(positions(db->system_pages(0)), (std::vector<std::uint32_t>{1}));
}

TEST_F(DatabaseFileTest, RawPageReaderRefusesAddressesOutsideTheFile) {
  DataFileWriter file = writer::small_database(4);  // 31 pages
  file.set_trailing_bytes(std::vector<std::uint8_t>(100, 0xEE));
  const std::string path = write(file);
  auto db = DatabaseFile::Open(path, frame_);
  ASSERT_TRUE(db->is_open());
  struct Case {
    PageAddress address;
    bool served;
  };
  const Case cases[] = {
      {{1, 1}, true},   {{1, 30}, true},   {{1, 31}, true},  {{1, 32}, false}, {{1, 0}, false},
      {{1, -1}, false}, {{0, 5}, false},   {{2, 5}, false},  {{7, 1}, false},  {{1, 0x7FFFFFFF}, false},
  };
  for (const Case& c : cases) {
    const auto buffer = db->read_raw_page(c.address);
    EXPECT_EQ(buffer.has_value(), c.served) << c.address.file_id << ":" << c.address.page_number;
    EXPECT_EQ(db->read_page_header(c.address).has_value(), c.served);
    if (buffer) {
      EXPECT_EQ(buffer->size(), kPageBufferSize);
    }
  }
  // The position equal to the page count holds only the trailing bytes; zeros follow.
  const auto last = db->read_raw_page({1, 31});
  ASSERT_TRUE(last.has_value());
  EXPECT_EQ((*last)[0], 0xEE);
  EXPECT_EQ((*last)[99], 0xEE);
  EXPECT_EQ((*last)[100], 0);
  EXPECT_EQ((*last)[8192], 0);
  // A page is served exactly as on disk.
  const auto page = db->read_raw_page({1, 20});
  ASSERT_TRUE(page.has_value());
  const std::vector<std::uint8_t> expected = file.page(20);
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), page->begin()));
}

TEST_F(DatabaseFileTest, HeaderWithBufferKeepsTheRestoredPage) {
  DataFileWriter file = writer::small_database(4);
  writer::PageWriter torn = writer::standard_page(27, 245575913, 1);
  std::vector<std::uint8_t> record(2000, 0xFF);
  torn.add_record(record);
  const std::vector<std::uint8_t> original = torn.build();
  file.set_page(27, torn.build_torn(1));
  auto db = DatabaseFile::Open(write(file), frame_);
  ASSERT_TRUE(db->is_open());

  const auto raw = db->read_raw_page({1, 27});
  ASSERT_TRUE(raw.has_value());
  EXPECT_EQ((*raw)[1023] & 3, 1);  // as on disk: the signature
  const auto header = db->read_header_with_buffer({1, 27});
  ASSERT_TRUE(header.has_value());
  EXPECT_TRUE(header->has_torn_bits());
  ASSERT_EQ(db->last_page_buffer().size(), kPageBufferSize);
  EXPECT_TRUE(std::equal(original.begin() + 96, original.end(), db->last_page_buffer().begin() + 96));
  EXPECT_FALSE(db->read_header_with_buffer({1, 99}).has_value());
  EXPECT_TRUE(db->last_page_buffer().empty());
}

TEST_F(DatabaseFileTest, OpeningNeverWritesTheFile) {
  DataFileWriter file = writer::small_database(4);
  file.set_page(27, writer::standard_page(27, 245575913, 1).build_torn(2));
  const std::string path = write(file);
  // Put the modification time in the past, so that any write would show.
  struct timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  const std::vector<std::uint8_t> before = writer::read_file(path);
  {
    auto db = DatabaseFile::Open(path, frame_);
    ASSERT_TRUE(db->is_open());
    for (std::int32_t p = 1; p <= 31; ++p) db->read_header_with_buffer({1, p});
  }
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mtim.tv_sec, 1000000000);
  EXPECT_EQ(writer::read_file(path), before);
}

// A frame that presses Stop when a chosen message arrives.
class StoppingFrame : public HeadlessFrame {
 public:
  StoppingFrame(std::string during, std::uint64_t at_position) : during_(std::move(during)), at_(at_position) {}
  std::int64_t send_message(std::uint32_t message, std::uint64_t wparam, std::int64_t lparam,
                            std::string_view text) override {
    if (message == UM_STATUS_TEXT) active_ = text == during_;
    const std::int64_t answer = HeadlessFrame::send_message(message, wparam, lparam, text);
    if (active_ && ((message == UM_STATUS_TEXT && at_ == 0) || (message == UM_PROGRESS_POS && wparam == at_ && at_ != 0))) {
      theApp.abort_flag = 1;
    }
    return answer;
  }

 private:
  std::string during_;
  std::uint64_t at_;
  bool active_ = false;
};

TEST_F(DatabaseFileTest, StopBeforeTheFirstPageMakesTheFileInvalidAndIsCleared) {
  const std::string path = write(writer::small_database(400));
  StoppingFrame frame(DatabaseFile::kMappingStartText, 0);
  auto db = DatabaseFile::Open(path, frame);
  EXPECT_FALSE(db->is_open());
  EXPECT_EQ(frame.errors(), std::vector<std::string>{DatabaseFile::kNotValidText});
  EXPECT_TRUE(db->system_page_map().empty());
  EXPECT_EQ(theApp.abort_flag.load(), 0);
}

TEST_F(DatabaseFileTest, StopDuringTheMappingScanKeepsWhatWasScanned) {
  const std::string path = write(writer::small_database(400));  // 427 pages, progress every 5
  StoppingFrame frame(DatabaseFile::kMappingStartText, 100);
  auto db = DatabaseFile::Open(path, frame);
  ASSERT_TRUE(db->is_open());
  EXPECT_TRUE(frame.errors().empty());
  EXPECT_EQ(theApp.abort_flag.load(), 0);
  // Positions 0..99 were scanned; the stop is seen before position 100.
  const auto& user = db->data_pages(245575913);
  ASSERT_FALSE(user.empty());
  EXPECT_EQ(user.back().page_number, 99u);
  EXPECT_EQ(frame.status_texts().back(), DatabaseFile::kMappingDoneText);
  EXPECT_EQ(frame.progress_position(), 427u);
}

TEST_F(DatabaseFileTest, StopDuringTheAlignmentCheckEndsTheOpening) {
  DataFileWriter file = writer::small_database(4);
  file.set_trailing_bytes(std::vector<std::uint8_t>(300, 1));
  StoppingFrame frame(DatabaseFile::kAlignmentStartText, 0);
  auto db = DatabaseFile::Open(write(file), frame);
  // The second pass does not poll the flag and still finds the pages at byte 0; the
  // mapping scan then stops before its first page.
  EXPECT_EQ(db->leading_offset(), 0u);
  EXPECT_FALSE(db->is_open());
  EXPECT_EQ(frame.errors(), std::vector<std::string>{DatabaseFile::kNotValidText});
  EXPECT_EQ(theApp.abort_flag.load(), 0);
}

TEST_F(DatabaseFileTest, PageMapsStayCompact) {
  const std::string path = write(writer::small_database(2000));
  auto db = DatabaseFile::Open(path, frame_);
  ASSERT_TRUE(db->is_open());
  EXPECT_LE(db->page_map_memory(), 16 * db->page_count());
}

}  // namespace
}  // namespace portalmend
