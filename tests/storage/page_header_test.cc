#include "storage/page_header.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/page_writer.h"

namespace portalmend {
namespace {

using writer::PageHeaderFields;
using writer::PageWriter;

PageHeaderFields every_field_distinct() {
  PageHeaderFields f;
  f.header_version = 1;
  f.page_type = 10;
  f.type_flag_bits = 0x80;
  f.level = 2;
  f.flag_bits = 0x0200;
  f.index_id = 256;
  f.previous_page_number = 41;
  f.previous_file_id = 1;
  f.min_record_length = 17;
  f.next_page_number = 43;
  f.next_file_id = 3;
  f.slot_count = 12;
  f.object_id = -1234567;
  f.free_count = 777;
  f.free_data_offset = 4096;
  f.page_number = 42;
  f.file_id = 1;
  f.reserved_count = 5;
  f.lsn_part1 = 0xDEADBEEF;
  f.lsn_part2 = 12;
  f.lsn_part3 = 3;
  f.transaction_reserved_count = 9;
  f.transaction_id_part2 = 5678;
  f.transaction_id_part1 = 4;
  f.ghost_record_count = 2;
  f.torn_bits = 0x12345678;
  return f;
}

TEST(PageHeader, DecodesEveryFieldFromItsOffset) {
  std::vector<std::uint8_t> page = PageWriter(every_field_distinct()).build();
  const CPage_Header h = CPage_Header::Decode(page);
  EXPECT_EQ(h.header_version(), 1);
  EXPECT_EQ(h.page_type(), 10);
  EXPECT_EQ(h.type_flag_bits(), 0x80);
  EXPECT_TRUE(h.has_compression_info());
  EXPECT_EQ(h.level(), 2);
  EXPECT_EQ(h.flag_bits(), 0x0200);
  EXPECT_FALSE(h.has_torn_bits());
  EXPECT_EQ(h.index_id(), 256);
  EXPECT_EQ(h.previous_page(), (PageAddress{1, 41}));
  EXPECT_EQ(h.min_record_length(), 17);
  EXPECT_EQ(h.next_page(), (PageAddress{3, 43}));
  EXPECT_EQ(h.slot_count(), 12);
  EXPECT_EQ(h.object_id(), -1234567);
  EXPECT_EQ(h.free_count(), 777);
  EXPECT_EQ(h.free_data_offset(), 4096);
  EXPECT_EQ(h.page_number(), 42);
  EXPECT_EQ(h.file_id(), 1);
  EXPECT_EQ(h.reserved_count(), 5);
  EXPECT_EQ(h.lsn_part1(), 0xDEADBEEFu);
  EXPECT_EQ(h.lsn_part2(), 12u);
  EXPECT_EQ(h.lsn_part3(), 3);
  EXPECT_EQ(h.transaction_reserved_count(), 9);
  EXPECT_EQ(h.transaction_id_part2(), 5678u);
  EXPECT_EQ(h.transaction_id_part1(), 4);
  EXPECT_EQ(h.ghost_record_count(), 2);
  EXPECT_EQ(h.torn_bits(), 0x12345678u);
  EXPECT_TRUE(h.is_consistent());
}

TEST(PageHeader, ZeroAndShortBuffersDecodeAsZeros) {
  for (std::size_t size : {std::size_t{0}, std::size_t{10}, std::size_t{8192}}) {
    std::vector<std::uint8_t> page(size, 0);
    const CPage_Header h = CPage_Header::Decode(page);
    EXPECT_EQ(h.page_type(), 0) << size;
    EXPECT_EQ(h.object_id(), 0) << size;
    EXPECT_EQ(h.slot_count(), 0) << size;
    EXPECT_EQ(h.lsn_text(), "( 0 : 0 : 0 )") << size;
    EXPECT_EQ(h.transaction_id_text(), "( 0 : 0 )") << size;
    EXPECT_TRUE(h.is_consistent()) << size;
  }
}

TEST(PageHeader, LsnAndTransactionIdTexts) {
  struct Case {
    std::uint32_t lsn1, lsn2;
    std::int16_t lsn3;
    std::int16_t xact1;
    std::uint32_t xact2;
    const char* lsn_text;
    const char* xact_text;
  };
  const Case cases[] = {
      {7, 12, 3, 0, 1234, "( 7 : 12 : 3 )", "( 0 : 1234 )"},
      {7, 12, -5, 4, 5678, "( 7 : 12 : -5 )", "( 4 : 5678 )"},
      {0, 0, 0, -1, 0, "( 0 : 0 : 0 )", "( -1 : 0 )"},
      // Parts 1 and 2 of an LSN are unsigned on disk and print as such.
      {4294967295u, 2147483648u, 32767, 32767, 4294967295u, "( 4294967295 : 2147483648 : 32767 )",
       "( 32767 : 4294967295 )"},
  };
  for (const Case& c : cases) {
    PageHeaderFields f;
    f.lsn_part1 = c.lsn1;
    f.lsn_part2 = c.lsn2;
    f.lsn_part3 = c.lsn3;
    f.transaction_id_part1 = c.xact1;
    f.transaction_id_part2 = c.xact2;
    std::vector<std::uint8_t> page = PageWriter(f).build();
    const CPage_Header h = CPage_Header::Decode(page);
    EXPECT_EQ(h.lsn_text(), c.lsn_text);
    EXPECT_EQ(h.transaction_id_text(), c.xact_text);
  }
}

TEST(PageHeader, ConsistencyTestRejectsTooManySlotsAndNegativeFields) {
  struct Case {
    const char* what;
    void (*damage)(PageHeaderFields&);
    bool consistent;
  };
  const Case cases[] = {
      {"healthy", [](PageHeaderFields&) {}, true},
      {"8192 slots", [](PageHeaderFields& f) { f.slot_count = 8192; }, true},
      {"9000 slots", [](PageHeaderFields& f) { f.slot_count = 9000; }, false},
      {"8193 slots", [](PageHeaderFields& f) { f.slot_count = 8193; }, false},
      {"negative ghost count", [](PageHeaderFields& f) { f.ghost_record_count = -1; }, false},
      {"negative free count", [](PageHeaderFields& f) { f.free_count = -1; }, false},
      {"negative next file id", [](PageHeaderFields& f) { f.next_file_id = -1; }, false},
      {"negative next page", [](PageHeaderFields& f) { f.next_page_number = -1; }, false},
      {"negative page number", [](PageHeaderFields& f) { f.page_number = -2; }, false},
      {"negative file id", [](PageHeaderFields& f) { f.file_id = -1; }, false},
      {"negative previous file id", [](PageHeaderFields& f) { f.previous_file_id = -3; }, false},
      {"negative previous page", [](PageHeaderFields& f) { f.previous_page_number = -4; }, false},
      {"negative object id is allowed", [](PageHeaderFields& f) { f.object_id = -9; }, true},
      {"negative LSN part 3 is allowed", [](PageHeaderFields& f) { f.lsn_part3 = -9; }, true},
  };
  for (const Case& c : cases) {
    PageHeaderFields f = every_field_distinct();
    c.damage(f);
    std::vector<std::uint8_t> page = PageWriter(f).build();
    EXPECT_EQ(CPage_Header::Decode(page).is_consistent(), c.consistent) << c.what;
  }
}

TEST(PageHeader, TornBitsAllSetRaiseTheLowBitsOfEverySectorEndButTheFirst) {
  PageHeaderFields f;
  f.flag_bits = CPage_Header::kTornBitsFlag;
  f.torn_bits = 0xFFFFFFFF;
  std::vector<std::uint8_t> page = PageWriter(f).build();
  const std::vector<std::uint8_t> before = page;
  CPage_Header::Decode(page);
  for (std::size_t i = 0; i < page.size(); ++i) {
    const bool sector_end = (i + 1) % 512 == 0 && i >= 1023;
    if (sector_end) {
      EXPECT_EQ(page[i], 3) << "byte " << i;
    } else {
      EXPECT_EQ(page[i], before[i]) << "byte " << i;
    }
  }
  EXPECT_EQ(page[511], 0);
}

TEST(PageHeader, PageWithoutTornFlagIsNotModified) {
  PageHeaderFields f;
  f.flag_bits = 0x0200;
  f.torn_bits = 0xFFFFFFFF;
  std::vector<std::uint8_t> page = PageWriter(f).build();
  const std::vector<std::uint8_t> before = page;
  CPage_Header::Decode(page);
  EXPECT_EQ(page, before);
}

TEST(PageHeader, RestoresWhatTornPageProtectionSavedAndIsIdempotent) {
  PageWriter writer;
  writer.header().object_id = 7;
  // A record that crosses every sector end, with low bits that differ from the signature.
  std::vector<std::uint8_t> record(8000);
  for (std::size_t i = 0; i < record.size(); ++i) record[i] = static_cast<std::uint8_t>(i * 7 + 3);
  writer.add_record(record);
  const std::vector<std::uint8_t> original = writer.build();
  for (std::uint8_t signature : {0, 1, 2, 3}) {
    std::vector<std::uint8_t> page = writer.build_torn(signature);
    ASSERT_NE(page, original);
    const CPage_Header h = CPage_Header::Decode(page);
    EXPECT_TRUE(h.has_torn_bits());
    // The header now carries the flag and the torn bits; everything after it is restored.
    EXPECT_TRUE(std::equal(page.begin() + 96, page.end(), original.begin() + 96)) << int{signature};
    const std::vector<std::uint8_t> once = page;
    CPage_Header::Decode(page);
    EXPECT_EQ(page, once);
  }
}

TEST(PageHeader, RestorationStaysInsideAShortBuffer) {
  std::vector<std::uint8_t> page(1100, 0);
  writer::put_u16(page, 4, CPage_Header::kTornBitsFlag);
  writer::put_u32(page, 60, 0xFFFFFFFF);
  CPage_Header::Decode(page);
  EXPECT_EQ(page[1023], 3);
  EXPECT_EQ(page[1099], 0);
}

}  // namespace
}  // namespace portalmend
