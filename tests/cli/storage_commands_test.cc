// The commands that open a data file: info, page and demo.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/data_file_writer.h"
#include "support/page_writer.h"
#include "support/run_cli.h"
#include "support/temp_dir.h"

namespace portalmend {
namespace {

using writer::run_program;

writer::CommandResult cli(const std::vector<std::string>& args) { return run_program(PORTALMEND_CLI, args); }

class StorageCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    writer::DataFileWriter file = writer::small_database(8);
    writer::PageHeaderFields fields;
    fields.page_type = 1;
    fields.object_id = 245575913;
    fields.page_number = 30;
    fields.lsn_part1 = 7;
    fields.lsn_part2 = 12;
    fields.lsn_part3 = -3;
    fields.transaction_id_part1 = 2;
    fields.transaction_id_part2 = 900;
    fields.next_page_number = -1;
    writer::PageWriter page(fields);
    page.add_record(std::vector<std::uint8_t>(700, 0x42));
    file.set_page(30, page.build_torn(2));
    path_ = dir_.file("content.mdf");
    ASSERT_TRUE(file.write(path_));
  }

  writer::TempDir dir_;
  std::string path_;
};

TEST_F(StorageCommandsTest, InfoPrintsSizeAlignmentAndPageMaps) {
  const auto result = cli({"info", path_});
  ASSERT_EQ(result.exit_code, 0) << result.err;
  EXPECT_EQ(result.err, "");
  const std::string expected =
      "file: " + path_ +
      "\n"
      "file size: 286720 bytes\n"
      "page count: 35\n"
      "leading offset: 0\n"
      "extent count: 4\n"
      "system page map: 27 pages under 5 object ids\n"
      "data page map: 18 pages under 4 object ids\n"
      "IAM page map: 4 pages under 4 object ids\n"
      "object ids with most pages in the system page map:\n"
      "            0  7 pages\n"
      "           99  7 pages\n"
      "           34  5 pages\n"
      "           41  5 pages\n"
      "            7  3 pages\n"
      "boot page: 9 (page shift 0)\n"
      "version: 0 Unknown SQL Version\n"
      "created with version: 0 Unknown SQL Version\n"
      "database name: \n"
      "collation: 0 (not in the collation table)\n";
  EXPECT_EQ(result.out, expected);
}

TEST_F(StorageCommandsTest, PagePrintsEveryHeaderFieldWithTextsAndConsistency) {
  const auto result = cli({"page", path_, "30"});
  ASSERT_EQ(result.exit_code, 0) << result.err;
  for (const char* line : {"page 1:30\n", "page type: 1\n", "object id: 245575913\n", "slot count: 1\n",
                           "page number: 30\n", "LSN: ( 7 : 12 : -3 )\n", "transaction id: ( 2 : 900 )\n",
                           "next page: 0:-1\n", "flag bits: 0x0100\n", "consistent: no\n", "free data offset: 796\n"}) {
    EXPECT_NE(result.out.find(line), std::string::npos) << line << "\n" << result.out;
  }
  EXPECT_NE(cli({"page", path_, "9"}).out.find("consistent: yes\n"), std::string::npos);
  const auto file_header = cli({"page", path_, "0"});
  EXPECT_EQ(file_header.exit_code, 0);
  EXPECT_NE(file_header.out.find("page type: 15\n"), std::string::npos);
}

TEST_F(StorageCommandsTest, UsageErrorsAndUnusableFilesHaveTheirExitCodes) {
  const std::string empty = dir_.file("empty.mdf");
  ASSERT_TRUE(writer::write_file(empty, {}));
  struct Case {
    std::vector<std::string> args;
    int exit_code;
    std::string err_start;
  };
  const Case cases[] = {
      {{"info"}, 2, "portalmend-cli info: FILE is missing\nusage: portalmend-cli info"},
      {{"info", path_, path_}, 2, "portalmend-cli info: one FILE only"},
      {{"info", "--bogus", path_}, 2, "portalmend-cli info: unknown option"},
      {{"page", path_}, 2, "portalmend-cli page: FILE and N are needed\nusage: portalmend-cli page FILE N"},
      {{"page", path_, "nine"}, 2, "portalmend-cli page: N must be a page number"},
      {{"page", path_, "9", "--file-id"}, 2, "portalmend-cli page: --file-id needs a value"},
      {{"page", path_, "9", "--file-id", "x"}, 2, "portalmend-cli page: --file-id takes a number"},
      {{"demo", "--bogus"}, 2, "portalmend-cli demo: unexpected argument"},
      {{"info", dir_.file("missing.mdf")}, 1, "File cannot be open...........\n"},
      {{"info", dir_.path()}, 1, "File cannot be open...........\n"},
      {{"info", empty}, 1, "Wheteher File is not valid mdf file or file is highly corrupted...........\n"},
      {{"page", empty, "1"}, 1, "Wheteher File is not valid mdf file or file is highly corrupted...........\n"},
      {{"page", path_, "36"}, 1, "Page 36 of file 1 cannot be read"},
      {{"page", path_, "-4"}, 1, "Page -4 of file 1 cannot be read"},
      {{"page", path_, "3", "--file-id", "4"}, 1, "Page 3 of file 4 cannot be read"},
  };
  for (const Case& c : cases) {
    const auto result = cli(c.args);
    EXPECT_EQ(result.exit_code, c.exit_code) << c.args[0] << " " << result.err;
    EXPECT_EQ(result.err.rfind(c.err_start, 0), 0u) << result.err;
    EXPECT_EQ(result.out, "");
  }
  for (const char* command : {"info", "page", "demo"}) {
    const auto help = cli({command, "--help"});
    EXPECT_EQ(help.exit_code, 0);
    EXPECT_EQ(help.out.rfind(std::string("usage: portalmend-cli ") + command, 0), 0u) << help.out;
  }
}

TEST_F(StorageCommandsTest, PageReadsSecondaryFilesFoundBesideThePrimary) {
  writer::DataFileWriter ndf(12);
  ndf.set_page(0, writer::standard_page(0, 99, 15, 3));
  ndf.set_page(5, writer::standard_page(5, 34, 1, 3));
  ASSERT_TRUE(ndf.write(dir_.file("content_2.ndf")));
  const auto result = cli({"page", path_, "5", "--file-id", "3"});
  ASSERT_EQ(result.exit_code, 0) << result.err;
  EXPECT_NE(result.out.find("page 3:5\n"), std::string::npos);
  EXPECT_NE(result.out.find("object id: 34\nfree count"), std::string::npos) << result.out;
}

TEST(DemoCommand, WritesTheDemoDatabaseAndSummarisesIt) {
  writer::TempDir dir;
  const auto result = cli({"demo", "--out", dir.path()});
  ASSERT_EQ(result.exit_code, 0) << result.err;
  const std::string path = dir.file("PortalmendDemo.mdf");
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(result.out.rfind("Demo database written to " + path + "\nfile: " + path + "\n", 0), 0u) << result.out;
  EXPECT_NE(result.out.find("page count: 64\n"), std::string::npos) << result.out;
  // Without --out nothing is left behind.
  const auto temporary = cli({"demo"});
  EXPECT_EQ(temporary.exit_code, 0);
  const std::string first_line = temporary.out.substr(0, temporary.out.find('\n'));
  const std::string temp_path = first_line.substr(first_line.rfind(' ') + 1);
  EXPECT_FALSE(std::filesystem::exists(temp_path)) << temp_path;
}

}  // namespace
}  // namespace portalmend
