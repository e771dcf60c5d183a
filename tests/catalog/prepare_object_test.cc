// Prepare object on catalogs whose lists are filled by hand: the object lookup, the
// choice of rowset and allocation unit, column descriptions and physical positions.

#include <gtest/gtest.h>

#include "catalog/catalog.h"
#include "storage/app_settings.h"

namespace portalmend {
namespace {

ObjectEntry object(std::int32_t id, const std::string& name, const std::string& type) {
  ObjectEntry entry;
  entry.id = id;
  entry.name = name;
  entry.type = type;
  return entry;
}

ColumnEntry column(std::int32_t object_id, std::int32_t column_id, const std::string& name,
                   std::uint8_t system_type = 56, std::int16_t max_length = 4, std::int32_t status = 0) {
  ColumnEntry entry;
  entry.object_id = object_id;
  entry.column_id = column_id;
  entry.name = name;
  entry.system_type_id = system_type;
  entry.user_type_id = system_type;
  entry.max_length = max_length;
  entry.status = status;
  return entry;
}

ScalarTypeEntry scalar(std::int32_t id, const std::string& name, std::uint8_t system_type, std::int32_t schema = 1) {
  ScalarTypeEntry entry;
  entry.type_id = id;
  entry.name = name;
  entry.system_type_id = system_type;
  entry.schema_id = schema;
  return entry;
}

RowsetEntry rowset(std::int64_t id, std::int32_t object_id, std::int32_t index_id) {
  RowsetEntry entry;
  entry.rowset_id = id;
  entry.object_id = object_id;
  entry.index_id = index_id;
  return entry;
}

RowsetColumnEntry rscol(std::int64_t rowset_id, std::int32_t column_id, std::int32_t leaf, std::int32_t null_bit,
                        std::int32_t physical = -1) {
  RowsetColumnEntry entry;
  entry.rowset_id = rowset_id;
  entry.rowset_column_id = column_id;
  entry.physical_column_id = physical < 0 ? column_id : physical;
  entry.leaf_offset = leaf;
  entry.null_bit = null_bit;
  return entry;
}

std::vector<std::int32_t> ids_of(const ColumnDescriptionList& columns) {
  std::vector<std::int32_t> ids;
  for (const ColumnDescription& c : columns) ids.push_back(c.column_id);
  return ids;
}

class PrepareObject : public ::testing::Test {
 protected:
  void SetUp() override {
    theApp.reset();
    CatalogLists& lists = catalog_.mutable_lists();
    for (const auto& [id, name] : std::initializer_list<std::pair<int, const char*>>{
             {34, "image"}, {35, "text"}, {56, "int"}, {99, "ntext"}, {98, "sql_variant"}, {167, "varchar"},
             {231, "nvarchar"}, {240, "clr"}, {241, "xml"}}) {
      lists.scalar_types.push_back(scalar(id, name, static_cast<std::uint8_t>(id)));
    }
    lists.scalar_types.push_back(scalar(256, "sysname", 231));
  }
  void TearDown() override { theApp.reset(); }

  Catalog catalog_{nullptr};
};

TEST_F(PrepareObject, FindObjectMatchesNameAndTypeExactly) {
  CatalogLists& lists = catalog_.mutable_lists();
  lists.objects = {object(5, "Webs", "P "), object(6, "Webs", "U "), object(7, "Sites", "S "),
                   object(8, "Sites", "U ")};
  EXPECT_EQ(catalog_.FindObject("Webs", "U ").id, 5);  // a procedure matches any requested type
  EXPECT_EQ(catalog_.FindObject("Sites", "U ").id, 8);
  EXPECT_EQ(catalog_.FindObject("Sites", "S ").id, 7);
  EXPECT_EQ(catalog_.FindObject("sites", "U ").id, -1);
  EXPECT_EQ(catalog_.FindObject("Sites", "U").id, -1);
}

TEST_F(PrepareObject, NonTableObjectGivesIdTypeAndName) {
  CatalogLists& lists = catalog_.mutable_lists();
  lists.objects = {object(5, "Webs", "P "), object(6, "Webs", "U ")};
  lists.columns = {column(6, 1, "Id")};
  catalog_.PrepareObject("Webs", "U ", {});
  // Prepare the table first through a different name so the is-table flag is set.
  lists.objects.push_back(object(9, "Other", "U "));
  catalog_.PrepareObject("Other", "U ", {});
  ASSERT_TRUE(catalog_.current().is_table);

  const ColumnDescriptionList result = catalog_.PrepareObject("Webs", "U ", {});
  ASSERT_EQ(result.size(), 3u);
  EXPECT_EQ(result[0].value_text, "5");
  EXPECT_EQ(result[1].value_text, "P ");
  EXPECT_EQ(result[2].value_text, "Webs");
  EXPECT_FALSE(catalog_.current().is_table);
  EXPECT_TRUE(catalog_.column_descriptions().empty());
}

TEST_F(PrepareObject, MissingObjectLeavesTheIsTableFlag) {
  CatalogLists& lists = catalog_.mutable_lists();
  lists.objects = {object(9, "T", "U ")};
  catalog_.PrepareObject("T", "U ", {});
  EXPECT_TRUE(catalog_.PrepareObject("Nope", "U ", {}).empty());
  EXPECT_EQ(catalog_.current().object.id, -1);
  EXPECT_TRUE(catalog_.current().is_table);
}

TEST_F(PrepareObject, ColumnsAreSortedDeduplicatedAndMatchedByMaskedId) {
  CatalogLists& lists = catalog_.mutable_lists();
  const std::int32_t id = 0x00001234;
  lists.objects = {object(id, "T", "U ")};
  lists.columns = {column(id, 3, "c"), column(id, 1, "a"), column(id | 0x03000000, 2, "b"),
                   column(id, 1, "a-again"), column(id, 4, "param", 56, 4), column(id + 1, 5, "other"),
                   column(id, 6, "untyped", 0)};
  lists.columns[4].number = 1;
  const ColumnDescriptionList result = catalog_.PrepareObject("T", "U ", {});
  EXPECT_EQ(ids_of(result), (std::vector<std::int32_t>{1, 2, 3}));
  EXPECT_EQ(result[0].name, "a");
  EXPECT_EQ(result[1].name, "b");
  EXPECT_TRUE(catalog_.current().is_table);
  EXPECT_EQ(catalog_.column_descriptions().size(), 3u);
}

struct TypeCase {
  std::uint8_t system_type;
  std::int32_t user_type;
  std::int16_t max_length;
  std::string type_text;
  std::uint32_t code;
  std::int16_t declared_length;
};

TEST_F(PrepareObject, TypeTextsAndCodes) {
  const TypeCase cases[] = {
      {231, 231, -1, "nvarchar(-1)", 11, -1}, {231, 256, 256, "nvarchar(256)", 11, 256},
      {99, 99, 16, "ntext(16)", 19, 16},     {98, 98, 8016, "sql_variant(8016)", 20, 0},
      {34, 34, 16, "image(16)", 25, 0},      {35, 35, 16, "text(16)", 26, 16},
      {240, 128, -1, "clr(-1)", 31, -1},     {240, 129, 892, "clr(892)", 32, 892},
      {240, 300, 20, "clr(20)", 33, 20},     {62, 62, 8, "(8)", 22, 0},
  };
  CatalogLists& lists = catalog_.mutable_lists();
  lists.objects = {object(10, "T", "U ")};
  std::int32_t next_id = 1;
  for (const TypeCase& c : cases) {
    ColumnEntry entry = column(10, next_id++, "c", c.system_type, c.max_length);
    entry.user_type_id = c.user_type;
    lists.columns.push_back(entry);
  }
  const ColumnDescriptionList result = catalog_.PrepareObject("T", "U ", {});
  ASSERT_EQ(result.size(), std::size(cases));
  for (std::size_t i = 0; i < result.size(); ++i) {
    SCOPED_TRACE(cases[i].type_text);
    EXPECT_EQ(result[i].type_text, cases[i].type_text);
    EXPECT_EQ(result[i].type_code, cases[i].code);
    EXPECT_EQ(result[i].declared_length, cases[i].declared_length);
  }
}

TEST_F(PrepareObject, NullableSparseIdentityAndCollation) {
  CatalogLists& lists = catalog_.mutable_lists();
  lists.objects = {object(10, "T", "U ")};
  ColumnEntry identity = column(10, 1, "Id", 56, 4, 5);
  identity.identity_text = "identity(1,1)";
  ColumnEntry sparse = column(10, 2, "S", 167, 50, 0x01000000);
  sparse.collation_id = 53256;
  lists.columns = {identity, sparse};
  const ColumnDescriptionList result = catalog_.PrepareObject("T", "U ", {});
  ASSERT_EQ(result.size(), 2u);
  EXPECT_EQ(result[0].nullable, 0);
  EXPECT_EQ(result[0].identity_text, "identity(1,1)");
  EXPECT_EQ(result[0].sparse, 0);
  EXPECT_EQ(result[1].nullable, 1);
  EXPECT_EQ(result[1].sparse, 1);
  EXPECT_EQ(result[1].collation_id, 53256);
}

struct RowsetCase {
  const char* what;
  std::vector<RowsetEntry> rowsets;
  std::int64_t expected;
};

TEST_F(PrepareObject, RowsetChoice) {
  const RowsetCase cases[] = {
      {"heap before indexes", {rowset(30, 10, 2), rowset(31, 10, 0), rowset(32, 10, 1)}, 31},
      {"two clustered rows: the last", {rowset(40, 10, 1), rowset(41, 10, 3), rowset(42, 10, 1)}, 42},
      {"no heap or clustered index: the last row", {rowset(50, 10, 2), rowset(51, 10, 5), rowset(52, 11, 0)}, 51},
      {"no rowset at all", {rowset(60, 11, 0)}, 0},
  };
  for (const RowsetCase& c : cases) {
    SCOPED_TRACE(c.what);
    CatalogLists& lists = catalog_.mutable_lists();
    lists.objects = {object(10, "T", "U ")};
    lists.columns = {column(10, 1, "a")};
    lists.rowsets = c.rowsets;
    catalog_.PrepareObject("T", "U ", {});
    EXPECT_EQ(catalog_.current().rowset.rowset_id, c.expected);
  }
  EXPECT_EQ(catalog_.current().rowset.owner_type, 255);
  EXPECT_EQ(catalog_.current().rowset.index_id, -1);
}

TEST_F(PrepareObject, AllocationUnitChoiceAndMissingUnits) {
  CatalogLists& lists = catalog_.mutable_lists();
  lists.objects = {object(10, "T", "U ")};
  lists.columns = {column(10, 1, "a")};
  lists.rowsets = {rowset(70, 10, 0), rowset(71, 10, 2)};
  AllocUnitEntry in_row;
  in_row.id = 1000;
  in_row.type = 1;
  in_row.owner_id = 70;
  AllocUnitEntry lob = in_row;
  lob.id = 1001;
  lob.type = 2;
  AllocUnitEntry later = in_row;
  later.id = 1002;
  AllocUnitEntry index_unit = in_row;
  index_unit.id = 1003;
  index_unit.owner_id = 71;
  lists.alloc_units = {in_row, lob, later, index_unit};
  catalog_.PrepareObject("T", "U ", {});
  EXPECT_EQ(catalog_.current().alloc_unit.id, 1002);
  std::vector<std::int64_t> units;
  for (const AllocUnitEntry& unit : catalog_.current().alloc_units) units.push_back(unit.id);
  EXPECT_EQ(units, (std::vector<std::int64_t>{1000, 1001, 1002, 1003}));
  EXPECT_EQ(catalog_.current().rowsets.size(), 2u);

  lists.alloc_units.clear();
  catalog_.PrepareObject("T", "U ", {});
  const AllocUnitEntry& none = catalog_.current().alloc_unit;
  EXPECT_EQ(none.id, 0);
  EXPECT_EQ(none.type, 255);
  EXPECT_EQ(none.status, -1);
  EXPECT_EQ(none.first_page.page_number, 0u);
  EXPECT_TRUE(catalog_.current().page_list.empty());
}

TEST_F(PrepareObject, RowsetColumnsPlaceColumnsAndHideComputedOnes) {
  CatalogLists& lists = catalog_.mutable_lists();
  lists.objects = {object(10, "T", "U ")};
  lists.columns = {column(10, 1, "Total"), column(10, 2, "a"), column(10, 3, "b", 231, 40)};
  lists.rowsets = {rowset(80, 10, 0)};
  lists.rowset_columns = {rscol(80, 2, 4, 1), rscol(80, 3, 0x0001FFFF, 2), rscol(81, 1, 99, 9)};
  const ObjectValuesCache values = {{"10", "1", "0x28005B0061005D002B005B0062005D002900"}};
  const ColumnDescriptionList result = catalog_.PrepareObject("T", "U ", values);
  ASSERT_EQ(result.size(), 3u);
  EXPECT_EQ(result[0].physical_column_id, ColumnDescription::kHidden);
  EXPECT_EQ(result[0].value_text, "([a]+[b])");
  EXPECT_EQ(result[0].has_position, 0);
  EXPECT_EQ(result[1].leaf_offset, 4);
  EXPECT_EQ(result[1].null_bit, 1);
  EXPECT_EQ(result[1].has_position, 1);
  EXPECT_EQ(result[2].leaf_offset, -1);  // low 16 bits of 0x0001FFFF
  EXPECT_EQ(result[2].null_bit, 2);
  EXPECT_EQ(catalog_.current().first_shown_column, 1u);
}

TEST_F(PrepareObject, WithoutPositionTablesEveryColumnHasAPosition) {
  CatalogLists& lists = catalog_.mutable_lists();
  lists.objects = {object(10, "T", "U ")};
  lists.columns = {column(10, 1, "a"), column(10, 2, "b")};
  const ColumnDescriptionList result = catalog_.PrepareObject("T", "U ", {});
  for (const ColumnDescription& c : result) {
    EXPECT_EQ(c.has_position, 1);
    EXPECT_EQ(c.physical_column_id, c.column_id);
    EXPECT_EQ(c.null_bit, -1);
  }
  EXPECT_EQ(catalog_.current().first_shown_column, 0u);
}

TEST_F(PrepareObject, HobtColumnsWithMapAndPlaceholdersForLostColumns) {
  CatalogLists& lists = catalog_.mutable_lists();
  lists.objects = {object(10, "T", "U ")};
  // Column 2 lost its syscolpars row; the record still stores it.
  lists.columns = {column(10, 1, "a"), column(10, 3, "c", 231, 20)};
  lists.rowsets = {rowset(90, 10, 0)};
  HobtColumnEntry h1{90, 1, 4, 1};
  HobtColumnEntry h2{90, 2, 8, 2};
  HobtColumnEntry h3{90, 3, -1, 3};
  lists.hobt_columns = {h1, h2, h3};
  lists.column_maps = {{90, 1, 1}, {90, 2, 2}, {90, 3, 3}, {91, 1, 7}};
  const ColumnDescriptionList result = catalog_.PrepareObject("T", "U ", {});
  EXPECT_EQ(catalog_.current().hobt_columns.size(), 3u);
  EXPECT_EQ(catalog_.current().column_maps.size(), 3u);
  ASSERT_EQ(result.size(), 3u);
  EXPECT_EQ(ids_of(result), (std::vector<std::int32_t>{1, 3, 2}));
  EXPECT_EQ(result[0].leaf_offset, 4);
  EXPECT_EQ(result[1].leaf_offset, -1);
  EXPECT_EQ(result[1].null_bit, 3);
  EXPECT_EQ(result[2].physical_column_id, ColumnDescription::kHidden);
  EXPECT_EQ(result[2].leaf_offset, 8);
  EXPECT_EQ(result[2].has_position, 0);
  EXPECT_TRUE(result[2].name.empty());
}

TEST_F(PrepareObject, LegacyColumnsKeepOffsetsAndHaveNoIdentity) {
  Catalog legacy(nullptr, CatalogLayout::kLegacy);
  CatalogLists& lists = legacy.mutable_lists();
  lists.objects = {object(10, "T", "U ")};
  LegacyColumnEntry a;
  a.object_id = 10;
  a.column_id = 2;
  a.name = "Name";
  a.system_type_id = 231;
  a.user_type_id = 231;
  a.length = 80;
  a.offset = -1;
  a.fixed_offset = 0;
  a.status = 8;
  a.collation_id = 53256;
  LegacyColumnEntry b = a;
  b.column_id = 1;
  b.name = "Id";
  b.system_type_id = 56;
  b.length = 4;
  b.offset = 4;
  b.fixed_offset = 4;
  b.status = 1;
  lists.legacy_columns = {a, b, a};
  const ColumnDescriptionList result = legacy.PrepareObject("T", "U ", {});
  ASSERT_EQ(result.size(), 2u);
  EXPECT_EQ(result[0].name, "Id");
  EXPECT_EQ(result[0].leaf_offset, 4);
  EXPECT_EQ(result[0].legacy_offset, 4);
  EXPECT_EQ(result[0].nullable, 0);
  EXPECT_EQ(result[0].type_text, "(4)");
  EXPECT_EQ(result[1].leaf_offset, -1);
  EXPECT_EQ(result[1].nullable, 1);
  EXPECT_EQ(result[1].has_position, 1);
  EXPECT_EQ(result[1].identity_text, "");
  EXPECT_EQ(result[1].collation_id, 53256);
}

TEST_F(PrepareObject, StopDuringPreparationKeepsWhatWasBuilt) {
  CatalogLists& lists = catalog_.mutable_lists();
  lists.objects = {object(10, "T", "U ")};
  lists.columns = {column(10, 1, "a"), column(10, 2, "b")};
  theApp.abort_flag.store(1);
  const ColumnDescriptionList result = catalog_.PrepareObject("T", "U ", {});
  EXPECT_TRUE(result.empty());
  EXPECT_EQ(catalog_.current().object.id, 10);
}

}  // namespace
}  // namespace portalmend
