// What info and page show of boot pages and records.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "storage/record.h"
#include "support/data_file_writer.h"
#include "support/page_writer.h"
#include "support/record_writer.h"
#include "support/run_cli.h"
#include "support/temp_dir.h"

namespace portalmend {
namespace {

writer::CommandResult cli(const std::vector<std::string>& args) { return writer::run_program(PORTALMEND_CLI, args); }

std::vector<std::uint8_t> row(const std::string& text, std::uint8_t type = kPrimaryRecord, bool complex = false) {
  writer::RecordSpec desc;
  desc.record_type = type;
  desc.fixed = std::vector<std::uint8_t>(128, 0x20);
  desc.nulls = {false, true, false};
  desc.variable = {{std::vector<std::uint8_t>(text.begin(), text.end()), complex}, {{}}};
  return writer::encode_record(desc);
}

// The output with every run of blanks made one blank, so that column widths do not matter.
std::string squeezed(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == ' ' && !out.empty() && out.back() == ' ') continue;
    out += c;
  }
  return out;
}

void expect_lines(const std::string& out, const std::vector<std::string>& lines) {
  const std::string text = "\n" + squeezed(out);
  for (const std::string& line : lines) {
    EXPECT_NE(text.find("\n" + line + "\n"), std::string::npos) << line << "\n" << out;
  }
}

class RecordCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    writer::DataFileWriter file = writer::small_database(8);
    writer::PageWriter page;
    page.header().page_type = 1;
    page.header().object_id = 245575913;
    page.header().page_number = 30;
    page.add_record(row("live"));
    page.add_record(row("ghost", kGhostDataRecord, true));
    const std::size_t deleted_at = page.next_record_offset();
    const std::vector<std::uint8_t> deleted = row("deleted");
    page.put_bytes(deleted_at, deleted);
    page.add_slot(static_cast<std::uint16_t>(deleted_at + deleted.size()));
    page.put_bytes(deleted_at + deleted.size(), row("after"));
    page.add_slot(90);
    page.header().ghost_record_count = 1;
    file.set_page(30, page);
    path_ = dir_.file("rows.mdf");
    ASSERT_TRUE(file.write(path_));
  }

  writer::TempDir dir_;
  std::string path_;
};

TEST_F(RecordCommands, PageListsEveryRecordWithItsPieces) {
  const auto result = cli({"page", path_, "30"});
  ASSERT_EQ(result.exit_code, 0) << result.err;
  // 128 fixed bytes, 3 columns with the second null, variable lengths 4 and 0, 145 bytes.
  expect_lines(result.out, {
                               "records: 4",
                               "slot offset type flags fixed columns null bitmap variable lengths length",
                               "0 96 primary null-bitmap,variable 128 3 02 4 0 145",
                               "1 241 ghost data null-bitmap,variable,deleted,rejected 0 0 - - 0",
                               "2 535 primary null-bitmap,variable 128 3 02 5 0 146",
                               "3 90 (empty)",
                           });
}

TEST_F(RecordCommands, DeletedRecordOptionsShowGhostsAndCarvedRows) {
  struct Case {
    std::vector<std::string> options;
    std::vector<std::string> lines;
    bool carved;
  };
  const Case cases[] = {
      {{"--deleted"}, {"records: 4", "1 241 ghost data null-bitmap,variable 128 3 02 5* 0 146"}, false},
      {{"--advanced-deleted"}, {"records: 4", "1 241 ghost data null-bitmap,variable,deleted,rejected 0 0 - - 0"}, false},
      {{"--deleted", "--advanced-deleted"},
       {"records: 5 (1 carved)", "1 241 ghost data null-bitmap,variable 128 3 02 5* 0 146",
        "2 535 primary null-bitmap,variable 128 3 02 5 0 146", "4c 387 primary null-bitmap,variable 128 3 02 7 0 148"},
       true},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"page", path_, "30"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const auto result = cli(args);
    ASSERT_EQ(result.exit_code, 0) << result.err;
    expect_lines(result.out, c.lines);
    EXPECT_EQ(result.out.find(" carved)") != std::string::npos, c.carved) << result.out;
  }
}

TEST(RecordCommandsOnRealFiles, InfoNamesVersionDatabaseAndCollation) {
  const std::filesystem::path fixtures = std::filesystem::path(PORTALMEND_FIXTURES) / "mdf";
  if (!std::filesystem::is_directory(fixtures)) GTEST_SKIP() << "no fixture folder";
  struct Case {
    const char* file;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"asdeoz__MvcMusicStore__App_Data__MvcMusicStore.mdf",
       {"version: 706 SQL Server 2012", "database name: MvcMusicStore",
        "collation: 872468488 SQL_Latin1_General_CP1_CI_AS (code page 1252)"}},
      {"jdhj__edx__AdventureWorksLT2012_Data.zip__AdventureWorksLT2012_Data.mdf",
       {"version: 705 Unknown SQL Version", "created with version: 655 SQL Server 2008"}},
      {"NickLYB__WAPP__App_Data.zip__App_Data__EduConnectDatabase.mdf",
       {"version: 998 SQL Server 2025", "database name: C:\\USERS\\NICK\\SOURCE\\REPOS\\WAPP\\APP_DATA\\EDUCONNECTDATABASE.MDF"}},
      {"mikebrind__SessionShoppingCart__App_Data__NORTHWND.MDF",
       {"version: 655 SQL Server 2008", "created with version: 539 SQL Server 2000", "database name: D:\\WEB"}},
  };
  for (const Case& c : cases) {
    const auto result = cli({"info", (fixtures / c.file).string()});
    ASSERT_EQ(result.exit_code, 0) << result.err;
    expect_lines(result.out, c.lines);
  }
}

}  // namespace
}  // namespace portalmend
