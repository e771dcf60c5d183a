// The commands that show the catalog: objects and columns.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/catalog_writer.h"
#include "support/run_cli.h"
#include "support/temp_dir.h"

namespace portalmend {
namespace {

using writer::run_program;

writer::CommandResult cli(const std::vector<std::string>& args) { return run_program(PORTALMEND_CLI, args); }

std::vector<std::uint8_t> int_bytes(std::int32_t value) {
  std::vector<std::uint8_t> bytes(4);
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> (8 * i));
  return bytes;
}

class CatalogCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    writer::CatalogDatabaseWriter database;
    writer::TableSpec table;
    table.id = 2073058421;
    table.name = "Orders";
    writer::TableColumnSpec id;
    id.name = "OrderID";
    id.nullable = false;
    id.identity = true;
    writer::TableColumnSpec note;
    note.name = "Note";
    note.system_type_id = 231;
    note.max_length = -1;
    note.collation_id = 53256;
    writer::TableColumnSpec total;
    total.name = "Total";
    total.computed = true;
    table.columns = {id, note, total};
    table.rows = {{int_bytes(1), writer::utf16("first"), std::nullopt}};
    database.add_table(table);
    database.add_object(300, "Orders", "V ");
    database.add_object(301, "Tally", "FN", 2073058421);
    path_ = dir_.file("orders.mdf");
    ASSERT_TRUE(database.write(path_));
  }

  writer::TempDir dir_;
  std::string path_;
};

TEST_F(CatalogCommandsTest, ObjectsListsLayoutCountsAndEveryObject) {
  const auto result = cli({"objects", path_});
  ASSERT_EQ(result.exit_code, 0) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out,
            "layout modern; 3 objects: \"FN\" 1, \"U \" 1, \"V \" 1\n"
            "id\ttype\tname\tparent id\n"
            "2073058421\t\"U \"\tOrders\t0\n"
            "300\t\"V \"\tOrders\t0\n"
            "301\t\"FN\"\tTally\t2073058421\n");
}

TEST_F(CatalogCommandsTest, ColumnsDescribesAPreparedTable) {
  const auto result = cli({"columns", path_, "Orders"});
  ASSERT_EQ(result.exit_code, 0) << result.err;
  const std::string out = result.out;
  EXPECT_NE(out.find("object 2073058421 \"U \" Orders\n"), std::string::npos) << out;
  EXPECT_NE(out.find("pages in object page list: 1\n"), std::string::npos) << out;
  EXPECT_NE(out.find("positions: 2 rowset columns, 0 hobt columns, 0 column map rows\n"), std::string::npos) << out;
  EXPECT_NE(out.find("first shown column: 0\n"), std::string::npos) << out;
  EXPECT_NE(out.find("1\tOrderID\tint(4)\t9\t0\t0\t0\t0\t1\t4\t1\tidentity(1,1)\t0\n"), std::string::npos) << out;
  EXPECT_NE(out.find("2\tNote\tnvarchar(-1)\t11\t-1\t1\t1\t0\t2\t-1\t2\t\t53256\n"), std::string::npos) << out;
  EXPECT_NE(out.find("3\tTotal\tint(4)\t9\t0\t1\t0\t0\t-99\t0\t-1\t\t0\n"), std::string::npos) << out;
  EXPECT_NE(out.find("allocation unit "), std::string::npos) << out;
}

struct FailureCase {
  std::vector<std::string> args;
  int exit_code;
  std::string message;
};

TEST_F(CatalogCommandsTest, UsageErrorsAndFailures) {
  const FailureCase cases[] = {
      {{"objects"}, 2, "usage: portalmend-cli objects FILE"},
      {{"objects", "a", "b"}, 2, "usage: portalmend-cli objects FILE"},
      {{"columns", "only-file"}, 2, "usage: portalmend-cli columns FILE TABLE [--type U|S]"},
      {{"columns", "f", "t", "--type", "X"}, 2, "--type takes U or S"},
      {{"columns", "f", "t", "--type"}, 2, "--type needs U or S"},
      {{"objects", "/nonexistent/file.mdf"}, 1, "File cannot be open"},
      {{"columns", "PATH", "Missing"}, 1, "there is no table named 'Missing' of type \"U \""},
      {{"columns", "PATH", "Orders", "--type", "S"}, 1, "is an object of type \"V \" (id 300), not a table"},
      {{"columns", "PATH", "Tally"}, 1, "is an object of type \"FN\""},
  };
  for (const FailureCase& c : cases) {
    std::vector<std::string> args = c.args;
    for (std::string& arg : args) {
      if (arg == "PATH") arg = path_;
    }
    SCOPED_TRACE(args[0] + " " + (args.size() > 1 ? args[1] : ""));
    const auto result = cli(args);
    EXPECT_EQ(result.exit_code, c.exit_code);
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "");
  }
}

}  // namespace
}  // namespace portalmend
