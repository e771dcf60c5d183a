#include "storage/boot_page.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "storage/app_settings.h"
#include "storage/database_file.h"
#include "storage/headless_frame.h"
#include "support/boot_page_writer.h"
#include "support/data_file_writer.h"
#include "support/page_writer.h"
#include "support/temp_dir.h"

namespace portalmend {
namespace {

TEST(BootPage, VersionNumbersNameTheirRelease) {
  struct Case {
    std::uint16_t version;
    const char* text;
  };
  const Case cases[] = {
      {408, " SQL Server 6.5"},   {539, " SQL Server 2000"},       {611, " SQL Server 2005"},
      {612, " SQL Server 2005 SP2+ with VarDecimal enabled"},       {655, " SQL Server 2008"},
      {660, " SQL Server 2008 R2"}, {661, " SQL Server 2008 R2"},   {684, " SQL Server 2012 CTP1"},
      {706, " SQL Server 2012"},  {782, " SQL Server 2014"},       {852, " SQL Server 2016"},
      {868, " SQL Server 2017"},  {869, " SQL Server 2017"},       {895, " SQL Server 2019"},
      {904, " SQL Server 2019"},  {957, " SQL Server 2022"},       {998, " SQL Server 2025"},
      {700, "Unknown SQL Version"}, {705, "Unknown SQL Version"}, {0, "Unknown SQL Version"},
      {999, "Unknown SQL Version"},
  };
  for (const Case& c : cases) EXPECT_EQ(version_text(c.version), c.text) << c.version;
}

TEST(BootPage, NameEndsAtItsFirstBlankUnlessItBeginsWithOne) {
  struct Case {
    std::string stored;
    bool blank_padded;
    std::string name;
  };
  const Case cases[] = {
      {"Sales Archive", false, "Sales"},
      {"Sales", true, "Sales"},
      {" Sales Archive", false, " Sales Archive"},
      {"C:\\DATA\\APP_DATA\\X.MDF", true, "C:\\DATA\\APP_DATA\\X.MDF"},
      {"", false, ""},
      {std::string(104, 'n'), false, std::string(104, 'n')},
  };
  for (const Case& c : cases) {
    writer::BootPageFields fields;
    fields.name = c.stored;
    fields.blank_padded = c.blank_padded;
    const CBootPage page(writer::boot_page(fields), nullptr);
    EXPECT_EQ(page.database_name(), c.name) << c.stored;
  }
}

TEST(BootPage, DecodesVersionAndCollationAndBuildsNoRecords) {
  writer::BootPageFields fields;
  fields.version = 904;
  fields.create_version = 852;
  fields.collation_id = 53256;
  const CBootPage page(writer::boot_page(fields), nullptr);
  EXPECT_EQ(page.version(), 904);
  EXPECT_EQ(page.create_version(), 852);
  EXPECT_EQ(page.version_text(), " SQL Server 2019");
  EXPECT_EQ(page.collation_id(), 53256);
  EXPECT_EQ(page.record_count(), 0u);
}

TEST(BootPage, CollationIsChosenByIdThenByItsLow16Bits) {
  CollationTable table;
  std::istringstream lines(
      "SQL_Latin1_General_CP1_CI_AS\t872468488\t1252\n"
      "Latin1_General_CI_AS\t53256\t1252\n"
      "Chinese_PRC_CI_AS\t53284\t936\n");
  table.load_stream(lines);
  struct Case {
    std::int32_t boot_id;
    bool automatic;
    std::int64_t manual_id;
    bool chosen;
    const char* name;
    std::int64_t id;
  };
  const Case cases[] = {
      {872468488, true, 0, true, "SQL_Latin1_General_CP1_CI_AS", 872468488},
      {53284, true, 0, true, "Chinese_PRC_CI_AS", 53284},
      // Not in the table as a whole, but its low 16 bits (53256) are.
      {0x00110000 | 53256, true, 0, true, "Latin1_General_CI_AS", 53256},
      {12345, true, 0, false, "", -1},
      {872468488, false, 53284, true, "Chinese_PRC_CI_AS", 53284},
      {872468488, false, 777, false, "", -1},
  };
  for (const Case& c : cases) {
    ChosenCollation chosen;
    EXPECT_EQ(choose_collation(table, c.boot_id, c.automatic, c.manual_id, chosen), c.chosen) << c.boot_id;
    EXPECT_EQ(chosen.known, c.chosen);
    EXPECT_EQ(chosen.name, c.name);
    EXPECT_EQ(chosen.id, c.id);
    EXPECT_EQ(chosen.code_page, std::string(c.name) == "Chinese_PRC_CI_AS" ? 936 : 1252);
  }
}

// Files written to disk, read through DatabaseFile.
class BootPageFiles : public ::testing::Test {
 protected:
  std::optional<BootInfo> boot_of(const writer::DataFileWriter& file) {
    const std::string path = dir_.file("db" + std::to_string(++count_) + ".mdf");
    writer::DataFileWriter with_map = file;
    // An allocation page in its place makes the file one of ours.
    writer::PageWriter map;
    map.header().page_type = 8;
    map.header().object_id = 99;
    map.header().page_number = 2;
    with_map.set_page(2, map);
    EXPECT_TRUE(with_map.write(path));
    database_ = DatabaseFile::Open(path, frame_);
    EXPECT_TRUE(database_->is_open());
    return read_boot_info(*database_);
  }

  // A page of `object` whose header says it is page `stored_number`.
  static std::vector<std::uint8_t> system_page(std::int32_t object, std::int32_t stored_number) {
    writer::PageWriter page;
    page.header().page_type = 1;
    page.header().object_id = object;
    page.header().page_number = stored_number;
    return page.build();
  }

  writer::TempDir dir_;
  HeadlessFrame frame_;
  std::unique_ptr<DatabaseFile> database_;
  int count_ = 0;
};

TEST_F(BootPageFiles, BootPageIsFoundAtNineMinusThePageShift) {
  struct Case {
    const char* what;
    std::int32_t object;        // first mapped page of this object measures the shift
    std::int32_t shift;         // stored number minus position
    std::int64_t boot_position; // where the boot page is expected
  };
  const Case cases[] = {
      {"no pages of 7 or 41", 0, 0, 9},
      {"sysallocunits in place", 7, 0, 9},
      {"sysallocunits 3 higher", 7, 3, 6},
      {"syscolpars 2 lower", 41, -2, 11},
  };
  for (const Case& c : cases) {
    writer::DataFileWriter file(24);
    writer::BootPageFields boot;
    boot.name = c.what;
    boot.page_number = 9;
    file.set_page(static_cast<std::uint64_t>(c.boot_position), writer::boot_page(boot));
    if (c.object != 0) file.set_page(14, system_page(c.object, 14 + c.shift));
    const std::optional<BootInfo> info = boot_of(file);
    ASSERT_TRUE(info) << c.what;
    EXPECT_EQ(info->page_shift, c.shift) << c.what;
    EXPECT_EQ(info->position, c.boot_position) << c.what;
    EXPECT_EQ(info->database_name, std::string(c.what).substr(0, std::string(c.what).find(' '))) << c.what;
  }
}

TEST_F(BootPageFiles, BootPositionOutsideTheFileGivesNothing) {
  for (const std::int32_t shift : {9, 12, -20}) {
    writer::DataFileWriter file(24);
    file.set_page(14, system_page(7, 14 + shift));
    EXPECT_FALSE(boot_of(file)) << shift;
  }
}

TEST_F(BootPageFiles, ReadingTheBootPageFillsNameVersionAndCollation) {
  CollationTable table;
  table.add_line("Latin1_General_CI_AS\t53256\t1252");
  table.add_line("Chinese_PRC_CI_AS\t53284\t936");
  writer::DataFileWriter file(24);
  writer::BootPageFields boot;
  boot.name = "Contoso Content";
  boot.version = 957;
  boot.collation_id = 53256;
  file.set_page(9, writer::boot_page(boot));
  ASSERT_TRUE(boot_of(file));

  struct Case {
    bool automatic;
    std::int64_t manual_id;
    const char* collation;
  };
  for (const Case c : {Case{true, 0, "Latin1_General_CI_AS"}, Case{false, 53284, "Chinese_PRC_CI_AS"}}) {
    theApp.reset();
    theApp.collation_automatic = c.automatic ? 1 : 0;
    theApp.collation_manual_id = c.manual_id;
    ChosenCollation chosen;
    const std::optional<BootInfo> info = locate_and_read_boot_page(*database_, table, chosen);
    ASSERT_TRUE(info);
    EXPECT_EQ(database_->database_name(), "Contoso");
    EXPECT_EQ(theApp.database_version, " SQL Server 2022");
    EXPECT_EQ(chosen.name, c.collation);
    EXPECT_EQ(theApp.collation_name, c.collation);
  }
  theApp.reset();
}

TEST_F(BootPageFiles, UnreadableBootPageLeavesTheNameEmptyAndTheRestAsItWas) {
  writer::DataFileWriter file(24);
  file.set_page(14, system_page(7, 14 + 9));  // boot position 0
  ASSERT_FALSE(boot_of(file));
  theApp.reset();
  theApp.database_version = "before";
  database_->set_database_name("stale");
  ChosenCollation chosen;
  EXPECT_FALSE(locate_and_read_boot_page(*database_, CollationTable{}, chosen));
  EXPECT_EQ(database_->database_name(), "");
  EXPECT_EQ(theApp.database_version, "before");
  EXPECT_FALSE(chosen.known);
  theApp.reset();
}

}  // namespace
}  // namespace portalmend
