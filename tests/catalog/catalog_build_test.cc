// Building the catalog of small databases made by the writer: both catalog layouts, and the
// damage real files may show (lost pages of the objects table, lost column rows, a page
// stored twice, a stop in the middle of the build).

#include <gtest/gtest.h>

#include "catalog/catalog.h"
#include "storage/app_settings.h"
#include "storage/database_file.h"
#include "storage/headless_frame.h"
#include "support/catalog_writer.h"
#include "support/page_writer.h"
#include "support/record_writer.h"
#include "support/temp_dir.h"

namespace portalmend {
namespace {

using writer::CatalogDatabaseWriter;
using writer::TableColumnSpec;
using writer::TableSpec;

std::vector<std::uint8_t> int_bytes(std::int32_t value) {
  std::vector<std::uint8_t> bytes(4);
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> (8 * i));
  return bytes;
}

TableColumnSpec int_column(const std::string& name, bool nullable = true) {
  TableColumnSpec column;
  column.name = name;
  column.system_type_id = 56;
  column.max_length = 4;
  column.nullable = nullable;
  return column;
}

TableColumnSpec nvarchar_column(const std::string& name, std::int16_t bytes) {
  TableColumnSpec column;
  column.name = name;
  column.system_type_id = 231;
  column.max_length = bytes;
  column.collation_id = 53256;
  return column;
}

// Customers(Id int identity, Name nvarchar(40), Code int) with three rows.
TableSpec customers(std::int32_t id = 2073058421) {
  TableSpec table;
  table.id = id;
  table.name = "Customers";
  TableColumnSpec key = int_column("Id", false);
  key.identity = true;
  table.columns = {key, nvarchar_column("Name", 80), int_column("Code")};
  for (int i = 1; i <= 3; ++i) table.rows.push_back({int_bytes(i), writer::utf16("N" + std::to_string(i)), int_bytes(i * 10)});
  return table;
}

class CatalogBuild : public ::testing::Test {
 protected:
  void SetUp() override { theApp.reset(); }
  void TearDown() override { theApp.reset(); }

  // Writes the database and builds its catalog.
  std::unique_ptr<Catalog> build(const CatalogDatabaseWriter& database,
                                 const std::function<void(const char*)>& after_step = {}) {
    const std::string path = dir_.file("test.mdf");
    EXPECT_TRUE(database.write(path));
    file_ = DatabaseFile::Open(path, frame_);
    EXPECT_TRUE(file_ && file_->is_open());
    if (!file_ || !file_->is_open()) return nullptr;
    return Catalog::Build(*file_, after_step);
  }

  writer::TempDir dir_;
  HeadlessFrame frame_;
  std::unique_ptr<DatabaseFile> file_;
};

TEST_F(CatalogBuild, ModernDatabaseGivesObjectsColumnsAndPages) {
  CatalogDatabaseWriter database;
  database.set_database_name("Sales");
  database.set_rows_per_page(2);
  database.add_table(customers());
  database.add_object(300, "GetCustomers", "P ");
  std::unique_ptr<Catalog> catalog = build(database);
  ASSERT_TRUE(catalog);
  EXPECT_FALSE(catalog->legacy());
  EXPECT_EQ(theApp.legacy_catalog_flag.load(), 0);
  EXPECT_EQ(file_->database_name(), "Sales");
  ASSERT_EQ(catalog->lists().files.size(), 1u);
  EXPECT_EQ(catalog->lists().files[0].file_id, 1);
  ASSERT_EQ(catalog->lists().objects.size(), 2u);
  EXPECT_EQ(catalog->lists().objects[0].name, "Customers");
  EXPECT_EQ(catalog->lists().objects[1].type, "P ");
  EXPECT_EQ(catalog->lists().columns.size(), 3u);
  EXPECT_EQ(catalog->lists().rowset_columns.size(), 3u);
  EXPECT_FALSE(catalog->lists().scalar_types.empty());

  const ColumnDescriptionList columns = catalog->PrepareObject("Customers", "U ", {});
  ASSERT_EQ(columns.size(), 3u);
  EXPECT_EQ(columns[0].type_text, "int(4)");
  EXPECT_EQ(columns[0].identity_text, "identity(1,1)");
  EXPECT_EQ(columns[0].nullable, 0);
  EXPECT_EQ(columns[0].leaf_offset, 4);
  EXPECT_EQ(columns[1].type_text, "nvarchar(80)");
  EXPECT_EQ(columns[1].leaf_offset, -1);
  EXPECT_EQ(columns[1].collation_id, 53256);
  EXPECT_EQ(columns[2].leaf_offset, 8);
  EXPECT_EQ(columns[2].null_bit, 3);
  const CurrentObjectSlots& current = catalog->current();
  EXPECT_EQ(current.rowset.rowset_id, CatalogDatabaseWriter::rowset_id_of(2073058421));
  // Three rows at two per page: two data pages, and the stale first page of the allocation
  // unit is replaced by the last data page the scan found.
  ASSERT_EQ(current.page_list.size(), 2u);
  EXPECT_EQ(current.alloc_unit.first_page.page_number, static_cast<std::uint32_t>(current.page_list.back().page_number));
  EXPECT_EQ(current.alloc_unit.page_object_id(), CatalogDatabaseWriter::page_object_id_of(2073058421));
}

TEST_F(CatalogBuild, SqlServer2000LayoutIsDetectedAndRead) {
  CatalogDatabaseWriter database(CatalogLayout::kLegacy);
  database.add_table(customers(1977058079));
  database.add_object(2009058193, "CustOrderHist", "P ");
  std::unique_ptr<Catalog> catalog = build(database);
  ASSERT_TRUE(catalog);
  EXPECT_TRUE(catalog->legacy());
  EXPECT_EQ(theApp.legacy_catalog_flag.load(), 1);
  ASSERT_EQ(catalog->lists().objects.size(), 2u);
  EXPECT_EQ(catalog->lists().objects[0].name, "Customers");
  EXPECT_EQ(catalog->lists().objects[0].type, "U ");
  EXPECT_EQ(catalog->lists().legacy_columns.size(), 3u);
  EXPECT_TRUE(catalog->lists().columns.empty());
  ASSERT_EQ(catalog->lists().legacy_indexes.size(), 1u);
  EXPECT_EQ(catalog->lists().legacy_indexes.begin()->first, (LegacyIndexKey{1977058079, 1, 1}));
  ASSERT_EQ(catalog->lists().legacy_tables.size(), 1u);
  const LegacyTableEntry& table = catalog->lists().legacy_tables[0];
  EXPECT_EQ(table.name, "Customers");
  ASSERT_EQ(table.key_columns.size(), 3u);
  EXPECT_EQ(table.key_columns[1].name, "Name");
  EXPECT_EQ(table.key_columns[1].column_order, 2);
  // The modern-only tables are not read.
  EXPECT_TRUE(catalog->lists().rowset_columns.empty());
  EXPECT_EQ(catalog->system_page_reads().count(systable::kSysColPars), 0u);

  const ColumnDescriptionList columns = catalog->PrepareObject("Customers", "U ", {});
  ASSERT_EQ(columns.size(), 3u);
  EXPECT_EQ(columns[0].name, "Id");
  EXPECT_EQ(columns[0].nullable, 0);
  EXPECT_EQ(columns[0].identity_text, "");
  EXPECT_EQ(columns[1].leaf_offset, -1);
  EXPECT_EQ(columns[2].leaf_offset, 8);
  EXPECT_EQ(columns[2].legacy_offset, 8);
  for (const ColumnDescription& column : columns) EXPECT_EQ(column.has_position, 1);
  EXPECT_EQ(catalog->current().page_list.size(), 1u);
}

TEST_F(CatalogBuild, OneUsableObjectRowKeepsTheModernLayout) {
  CatalogDatabaseWriter database;
  database.add_object(500, "Only", "U ");
  // A row of sysobjects would be read as the legacy layout if the modern table were empty.
  writer::ObjectRowSpec legacy;
  legacy.id = 600;
  legacy.name = "Legacy";
  database.add_system_row(systable::kSysObjects, writer::legacy_object_row(legacy));
  std::unique_ptr<Catalog> catalog = build(database);
  ASSERT_TRUE(catalog);
  EXPECT_FALSE(catalog->legacy());
  ASSERT_EQ(catalog->lists().objects.size(), 1u);
  EXPECT_EQ(catalog->lists().objects[0].name, "Only");
}

TEST_F(CatalogBuild, LostObjectsTableGivesOneTablePerObjectIdOfTheColumns) {
  CatalogDatabaseWriter database;
  TableSpec second = customers(900);
  second.name = "Orders";
  database.add_table(customers(1000));
  database.add_table(second);
  database.drop_table_pages(systable::kSysSchObjs);
  std::unique_ptr<Catalog> catalog = build(database);
  ASSERT_TRUE(catalog);
  // No sysschobjs pages and no sysobjects rows either: the layout stays modern and each
  // table the columns name becomes a user table called by its id, in the order first met.
  EXPECT_FALSE(catalog->legacy());
  EXPECT_EQ(theApp.legacy_catalog_flag.load(), 0);
  ASSERT_EQ(catalog->lists().objects.size(), 2u);
  const ObjectEntry& first = catalog->lists().objects[0];
  EXPECT_EQ(first.id, 1000);
  EXPECT_EQ(first.name, "1000");
  EXPECT_EQ(first.type, "U ");
  EXPECT_EQ(first.parent_id, -1);
  EXPECT_EQ(first.namespace_class, 255);
  EXPECT_EQ(catalog->lists().objects[1].name, "900");
  // The made-up table is prepared like any other.
  EXPECT_EQ(catalog->PrepareObject("900", "U ", {}).size(), 3u);
  EXPECT_EQ(catalog->current().page_list.size(), 1u);
}

TEST_F(CatalogBuild, MadeUpNamesNumberFromZeroInEachTable) {
  CatalogDatabaseWriter database;
  for (std::int32_t id : {401, 402}) {
    writer::ObjectRowSpec desc;
    desc.id = id;
    database.add_system_row(systable::kSysSchObjs, writer::object_row(desc));
  }
  writer::ColumnRowSpec nameless;
  nameless.object_id = 401;
  nameless.column_id = 1;
  database.add_system_row(systable::kSysColPars, writer::column_row(nameless));
  nameless.column_id = 2;
  nameless.name = "";
  database.add_system_row(systable::kSysColPars, writer::column_row(nameless));
  std::unique_ptr<Catalog> catalog = build(database);
  ASSERT_TRUE(catalog);
  ASSERT_EQ(catalog->lists().objects.size(), 2u);
  EXPECT_EQ(catalog->lists().objects[0].name, "Repairname0");
  EXPECT_EQ(catalog->lists().objects[1].name, "Repairname1");
  ASSERT_EQ(catalog->lists().columns.size(), 2u);
  EXPECT_EQ(catalog->lists().columns[0].name, "RepairColumn0");
  EXPECT_EQ(catalog->lists().columns[1].name, "RepairColumn1");
}

TEST_F(CatalogBuild, TwoCopiesOfAPageGiveDuplicateEntries) {
  CatalogDatabaseWriter database;
  database.add_table(customers());
  database.duplicate_table_pages(systable::kSysColPars);
  database.duplicate_table_pages(systable::kSysSchObjs);
  std::unique_ptr<Catalog> catalog = build(database);
  ASSERT_TRUE(catalog);
  EXPECT_EQ(catalog->lists().objects.size(), 2u);
  EXPECT_EQ(catalog->lists().columns.size(), 6u);
  // A table preparation still describes each column once.
  EXPECT_EQ(catalog->PrepareObject("Customers", "U ", {}).size(), 3u);
}

TEST_F(CatalogBuild, StopDuringTheBuildLeavesLaterListsEmpty) {
  CatalogDatabaseWriter database;
  database.add_table(customers());
  std::vector<std::string> steps;
  std::unique_ptr<Catalog> catalog = build(database, [&](const char* step) {
    steps.push_back(step);
    if (std::string(step) == "objects") theApp.abort_flag.store(1);
  });
  ASSERT_TRUE(catalog);
  EXPECT_EQ(steps, (std::vector<std::string>{"boot page", "files", "secondary files", "objects"}));
  EXPECT_EQ(catalog->lists().objects.size(), 1u);
  EXPECT_TRUE(catalog->lists().alloc_units.empty());
  EXPECT_TRUE(catalog->lists().columns.empty());
  EXPECT_TRUE(catalog->lists().scalar_types.empty());
}

TEST_F(CatalogBuild, LostColumnRowsOfAnOlderDatabaseBecomeHiddenPlaceholders) {
  CatalogDatabaseWriter database;
  TableSpec table = customers();
  table.hobt_positions = true;
  table.columns[1].lose_catalog_row = true;
  database.add_table(table);
  std::unique_ptr<Catalog> catalog = build(database);
  ASSERT_TRUE(catalog);
  const ColumnDescriptionList columns = catalog->PrepareObject("Customers", "U ", {});
  ASSERT_EQ(columns.size(), 3u);
  EXPECT_EQ(columns[0].name, "Id");
  EXPECT_EQ(columns[1].name, "Code");
  EXPECT_EQ(columns[1].leaf_offset, 8);
  EXPECT_EQ(columns[2].column_id, 2);
  EXPECT_EQ(columns[2].physical_column_id, ColumnDescription::kHidden);
  EXPECT_EQ(columns[2].leaf_offset, -1);
  EXPECT_EQ(catalog->current().hobt_columns.size(), 3u);
}

TEST_F(CatalogBuild, ComputedColumnIsHidden) {
  CatalogDatabaseWriter database;
  TableSpec table = customers();
  TableColumnSpec total = int_column("Total");
  total.computed = true;
  table.columns.insert(table.columns.begin() + 1, total);
  for (writer::TableRowValues& row : table.rows) row.insert(row.begin() + 1, std::nullopt);
  database.add_table(table);
  std::unique_ptr<Catalog> catalog = build(database);
  ASSERT_TRUE(catalog);
  const ObjectValuesCache values = {{"2073058421", "2", "0x28005B0043006F00640065005D002A0032002900"}};
  const ColumnDescriptionList columns = catalog->PrepareObject("Customers", "U ", values);
  ASSERT_EQ(columns.size(), 4u);
  EXPECT_EQ(columns[1].name, "Total");
  EXPECT_EQ(columns[1].physical_column_id, ColumnDescription::kHidden);
  EXPECT_EQ(columns[1].value_text, "([Code]*2)");
  EXPECT_EQ(columns[2].null_bit, 2);
  EXPECT_EQ(catalog->current().first_shown_column, 0u);
}

// A secondary file holding two data pages of table_id (file id 3), in the primary's folder.
bool write_secondary(const std::string& path, std::int32_t table_id) {
  writer::DataFileWriter file;
  for (std::uint32_t position : {8u, 9u}) {
    writer::PageWriter page = writer::standard_page(position, CatalogDatabaseWriter::page_object_id_of(table_id), 1, 3);
    writer::RecordSpec row;
    row.fixed = int_bytes(static_cast<std::int32_t>(position));
    row.column_count = 3;
    page.add_record(writer::encode_record(row));
    file.set_page(position, page);
  }
  file.set_page(15, std::vector<std::uint8_t>(8192, 0));
  return file.write(path);
}

TEST_F(CatalogBuild, ListedSecondaryFilesAreRegisteredAndTheirPagesFound) {
  CatalogDatabaseWriter database;
  database.add_system_row(systable::kSysFiles1, writer::file_row(2, "Sales_log", "C:\\Data\\Sales_log.ldf"));
  database.add_system_row(systable::kSysFiles1, writer::file_row(3, "Sales_data2", "C:\\Data\\Sales_data2.ndf"));
  TableSpec table = customers();
  table.rows.clear();
  database.add_table(table);
  ASSERT_TRUE(write_secondary(dir_.file("Sales_data2.ndf"), table.id));
  std::unique_ptr<Catalog> catalog = build(database);
  ASSERT_TRUE(catalog);
  const std::vector<FileEntry>& files = catalog->lists().files;
  ASSERT_EQ(files.size(), 3u);
  EXPECT_EQ(files[1].logical_name, "Sales_log");
  EXPECT_TRUE(files[1].path.empty());  // the log file is not a data file beside the primary
  EXPECT_EQ(files[2].file_id, 3);
  EXPECT_EQ(files[2].path, dir_.file("Sales_data2.ndf"));
  EXPECT_EQ(files[2].page_count, 16u);
  ASSERT_EQ(file_->secondary_files().count(3), 1u);
  catalog->PrepareObject("Customers", "U ", {});
  ASSERT_EQ(catalog->current().page_list.size(), 2u);
  EXPECT_EQ(catalog->current().page_list[0], (PageAddress{3, 8}));
}

TEST_F(CatalogBuild, WithoutAFilesTableSecondaryFilesAreFoundInTheFolder) {
  CatalogDatabaseWriter database;
  database.drop_table_pages(systable::kSysFiles1);
  TableSpec table = customers();
  table.rows.clear();
  database.add_table(table);
  ASSERT_TRUE(write_secondary(dir_.file("anything.ndf"), table.id));
  std::unique_ptr<Catalog> catalog = build(database);
  ASSERT_TRUE(catalog);
  const std::vector<FileEntry>& files = catalog->lists().files;
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].file_id, 3);
  EXPECT_EQ(files[0].path, dir_.file("anything.ndf"));
  catalog->PrepareObject("Customers", "U ", {});
  EXPECT_EQ(catalog->current().page_list.size(), 2u);
}

}  // namespace
}  // namespace portalmend
