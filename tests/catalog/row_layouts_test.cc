// Decoding of the system base table rows, in both catalog layouts.

#include <gtest/gtest.h>

#include <functional>

#include "catalog/alloc_unit_entry.h"
#include "catalog/column_entry.h"
#include "catalog/file_entry.h"
#include "catalog/hobt_column_entry.h"
#include "catalog/index_column_entry.h"
#include "catalog/index_entry.h"
#include "catalog/legacy_column_entry.h"
#include "catalog/legacy_index_map.h"
#include "catalog/object_entry.h"
#include "catalog/object_ref_entry.h"
#include "catalog/rowset_column_entry.h"
#include "catalog/rowset_column_map_entry.h"
#include "catalog/rowset_entry.h"
#include "catalog/scalar_type_entry.h"
#include "support/catalog_writer.h"

namespace portalmend {
namespace {

using writer::SystemRow;

// Decodes a row of some table; true when the row was taken.
using Decoder = std::function<bool(const RowPieces&)>;

struct MinimumCase {
  const char* table;
  std::size_t minimum;
  Decoder decode;
};

TEST(RowLayouts, RowsShorterThanTheTableMinimumAreSkipped) {
  std::uint64_t counter = 0;
  const MinimumCase cases[] = {
      {"sysfiles1", 782, [](const RowPieces& r) { return decode_file_entry(r).has_value(); }},
      {"sysschobjs", 24,
       [&](const RowPieces& r) { return decode_object_entry(r, CatalogLayout::kModern, counter).has_value(); }},
      {"sysobjects", 24,
       [&](const RowPieces& r) { return decode_object_entry(r, CatalogLayout::kLegacy, counter).has_value(); }},
      {"sysallocunits", 41, [](const RowPieces& r) { return decode_alloc_unit_entry(r).has_value(); }},
      {"sysrowsets", 35, [](const RowPieces& r) { return decode_rowset_entry(r).has_value(); }},
      {"syscolpars", 41, [&](const RowPieces& r) { return decode_column_entry(r, counter).has_value(); }},
      {"syscolumns", 34, [&](const RowPieces& r) { return decode_legacy_column_entry(r, counter).has_value(); }},
      {"sysindexes", 68, [](const RowPieces& r) { return decode_legacy_index_row(r, 1).has_value(); }},
      {"sysscalartypes", 38, [](const RowPieces& r) { return decode_scalar_type_entry(r).has_value(); }},
      {"sysrscols", 50, [](const RowPieces& r) { return decode_rowset_column_entry(r).has_value(); }},
      {"hobt columns", 35, [](const RowPieces& r) { return decode_hobt_column_entry(r).has_value(); }},
      {"column map", 16, [](const RowPieces& r) { return decode_rowset_column_map_entry(r).has_value(); }},
      {"syssingleobjrefs", 21, [](const RowPieces& r) { return decode_object_ref_entry(r).has_value(); }},
      {"sysidxstats", 35, [](const RowPieces& r) { return decode_index_entry(r).has_value(); }},
      {"sysiscols", 22, [](const RowPieces& r) { return decode_index_column_entry(r).has_value(); }},
  };
  for (const MinimumCase& c : cases) {
    SCOPED_TRACE(c.table);
    // An object id of 7 and an index id of 1 make the id tests of the objects and index
    // tables pass, so that only the length decides.
    std::vector<std::uint8_t> fixed(c.minimum, 0);
    fixed[0] = 7;
    if (c.minimum > 14) fixed[14] = 1;
    SystemRow row;
    row.fixed = fixed;
    row.variable.push_back(writer::utf16("name"));
    row.column_count = 30;
    EXPECT_TRUE(c.decode(row.pieces()));
    row.fixed.pop_back();
    EXPECT_FALSE(c.decode(row.pieces()));
  }
}

TEST(RowLayouts, FileRowKeepsTrimmedNames) {
  const SystemRow row = writer::file_row(3, "data", "C:\\DB\\Sales_data.ndf");
  const std::optional<FileEntry> entry = decode_file_entry(row.pieces());
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->file_id, 3);
  EXPECT_EQ(entry->status, 2);
  EXPECT_EQ(entry->logical_name, "data");
  EXPECT_EQ(entry->physical_name, "C:\\DB\\Sales_data.ndf");
  EXPECT_EQ(entry->file_size, 0u);
  EXPECT_EQ(entry->page_count, 0u);
}

struct ObjectCase {
  const char* what;
  CatalogLayout layout;
  std::size_t fixed_length;
  std::int32_t expected_parent;
};

TEST(RowLayouts, ObjectRowFieldsFollowTheLayout) {
  // The same bytes read in each layout: type at 13/14 (modern) or 4/5 (legacy); the legacy
  // parent id at 24 only when the fixed part reaches 28 bytes.
  std::vector<std::uint8_t> fixed(40, 0);
  writer::set_u32(fixed, 0, 2073058421);
  fixed[4] = 'F';
  fixed[5] = 'N';
  fixed[13] = 'U';
  fixed[14] = ' ';
  writer::set_u32(fixed, 15, 15);
  writer::set_u32(fixed, 24, 24);
  const ObjectCase cases[] = {
      {"modern", CatalogLayout::kModern, 40, 15},
      {"legacy, 28 bytes", CatalogLayout::kLegacy, 28, 24},
      {"legacy, 27 bytes", CatalogLayout::kLegacy, 27, 15},
  };
  for (const ObjectCase& c : cases) {
    SCOPED_TRACE(c.what);
    SystemRow row;
    row.fixed.assign(fixed.begin(), fixed.begin() + static_cast<std::ptrdiff_t>(c.fixed_length));
    row.variable.push_back(writer::utf16("Orders"));
    std::uint64_t counter = 0;
    const std::optional<ObjectEntry> entry = decode_object_entry(row.pieces(), c.layout, counter);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->id, 2073058421);
    EXPECT_EQ(entry->name, "Orders");
    EXPECT_EQ(entry->type, c.layout == CatalogLayout::kModern ? "U " : "FN");
    EXPECT_EQ(entry->parent_id, c.expected_parent);
  }
}

TEST(RowLayouts, ObjectRowWithIdZeroOrBelowIsSkipped) {
  for (std::int32_t id : {0, -5}) {
    writer::ObjectRowSpec desc;
    desc.id = id;
    desc.name = "x";
    std::uint64_t counter = 0;
    EXPECT_FALSE(decode_object_entry(writer::object_row(desc).pieces(), CatalogLayout::kModern, counter));
    EXPECT_EQ(counter, 0u);
  }
}

TEST(RowLayouts, MissingNamesAreMadeUpAndNumbered) {
  std::uint64_t counter = 0;
  auto object_named = [&](std::optional<std::string> name) {
    writer::ObjectRowSpec desc;
    desc.id = 100;
    desc.name = std::move(name);
    return decode_object_entry(writer::object_row(desc).pieces(), CatalogLayout::kModern, counter)->name;
  };
  EXPECT_EQ(object_named(std::nullopt), "Repairname0");
  EXPECT_EQ(object_named("Orders"), "Orders");
  EXPECT_EQ(object_named(std::nullopt), "Repairname1");
  EXPECT_EQ(object_named(std::string()), "RepairColumn2");
  EXPECT_EQ(counter, 3u);

  std::uint64_t column_counter = 0;
  writer::ColumnRowSpec column;
  column.object_id = 100;
  column.column_id = 1;
  EXPECT_EQ(decode_column_entry(writer::column_row(column).pieces(), column_counter)->name, "RepairColumn0");
  column.name = "";
  EXPECT_EQ(decode_column_entry(writer::column_row(column).pieces(), column_counter)->name, "RepairColumn1");
  writer::LegacyColumnRowSpec legacy;
  legacy.object_id = 100;
  EXPECT_EQ(decode_legacy_column_entry(writer::legacy_column_row(legacy).pieces(), column_counter)->name,
            "RepairColumn2");
}

TEST(RowLayouts, ColumnRowFields) {
  writer::ColumnRowSpec desc;
  desc.object_id = 245575913;
  desc.column_id = 3;
  desc.name = "UnitPrice";
  desc.system_type_id = 60;
  desc.user_type_id = 60;
  desc.max_length = 8;
  desc.precision = 19;
  desc.scale = 4;
  desc.collation_id = 0;
  desc.status = 1;
  std::uint64_t counter = 0;
  const std::optional<ColumnEntry> entry = decode_column_entry(writer::column_row(desc).pieces(), counter);
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->object_id, 245575913);
  EXPECT_EQ(entry->column_id, 3);
  EXPECT_EQ(entry->name, "UnitPrice");
  EXPECT_EQ(entry->system_type_id, 60);
  EXPECT_EQ(entry->max_length, 8);
  EXPECT_EQ(entry->precision, 19);
  EXPECT_EQ(entry->scale, 4);
  EXPECT_EQ(entry->status, 1);
  EXPECT_EQ(entry->identity_text, "");
}

std::vector<std::uint8_t> identity_bytes(std::size_t length, std::vector<std::pair<std::size_t, std::uint64_t>> fields,
                                         std::size_t width) {
  std::vector<std::uint8_t> bytes(length, 0);
  for (const auto& [offset, value] : fields) {
    for (std::size_t i = 0; i < width; ++i) bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
  return bytes;
}

struct IdentityCase {
  const char* what;
  std::int32_t status;
  std::optional<std::vector<std::uint8_t>> value;
  std::string expected;
};

TEST(RowLayouts, IdentityTextFromTheSecondVariableColumn) {
  const IdentityCase cases[] = {
      {"12 bytes, increment 1, seed 0", 5, identity_bytes(12, {{4, 1}, {8, 0}}, 4), "identity(1,1)"},
      {"12 bytes, increment 2, seed -10", 5, identity_bytes(12, {{4, 2}, {8, 0xFFFFFFF6}}, 4), "identity(-10,2)"},
      {"6 bytes, seed 100 at 4, increment 5 at 2", 5, identity_bytes(6, {{4, 100}, {2, 5}}, 2), "identity(100,5)"},
      {"24 bytes, small q0: seed q2, increment q1", 5, identity_bytes(24, {{0, 56}, {8, 10}, {16, 1000}}, 8),
       "identity(1000,10)"},
      {"24 bytes, wide q0: 32-bit fields", 5,
       identity_bytes(24, {{0, 0x0000000300000000ull}, {8, 20}}, 8), "identity(20,3)"},
      {"4 bytes", 5, std::vector<std::uint8_t>(4, 9), "identity(1,1)"},
      {"identity value lost", 5, std::nullopt, "identity(1,1)"},
      {"status 7 is not an identity", 7, identity_bytes(12, {{4, 1}, {8, 1}}, 4), ""},
      {"NOT FOR REPLICATION (0x10005) is still an identity", 0x10005, identity_bytes(12, {{4, 1}, {8, 1}}, 4),
       "identity(1,1)"},
  };
  for (const IdentityCase& c : cases) {
    SCOPED_TRACE(c.what);
    writer::ColumnRowSpec desc;
    desc.object_id = 1;
    desc.column_id = 1;
    desc.name = "id";
    desc.status = c.status;
    SystemRow row = writer::column_row(desc);
    row.variable.push_back(c.value);
    std::uint64_t counter = 0;
    EXPECT_EQ(decode_column_entry(row.pieces(), counter)->identity_text, c.expected);
  }
  // With only the name column there is no identity text.
  writer::ColumnRowSpec desc;
  desc.name = "id";
  desc.status = 5;
  std::uint64_t counter = 0;
  EXPECT_EQ(decode_column_entry(writer::column_row(desc).pieces(), counter)->identity_text, "");
}

TEST(RowLayouts, LegacyColumnLateFieldsNeedTwentyOneColumnsAndTheBytes) {
  writer::LegacyColumnRowSpec desc;
  desc.object_id = 1977058079;
  desc.column_id = 2;
  desc.name = "CompanyName";
  desc.system_type_id = 231;
  desc.length = 80;
  desc.offset = -2;
  desc.fixed_offset = 0;
  desc.column_order = 2;
  desc.collation_id = 53256;
  desc.status = 8;
  std::uint64_t counter = 0;
  SystemRow row = writer::legacy_column_row(desc);
  std::optional<LegacyColumnEntry> entry = decode_legacy_column_entry(row.pieces(), counter);
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->object_id, 1977058079);
  EXPECT_EQ(entry->column_id, 2);
  EXPECT_EQ(entry->system_type_id, 231);
  EXPECT_EQ(entry->length, 80);
  EXPECT_EQ(entry->offset, -2);
  EXPECT_EQ(entry->column_order, 2);
  EXPECT_EQ(entry->collation_id, 53256);
  EXPECT_EQ(entry->status, 8);

  row.fixed.resize(42);
  entry = decode_legacy_column_entry(row.pieces(), counter);
  EXPECT_EQ(entry->collation_id, 53256);
  EXPECT_EQ(entry->status, 255);

  row.fixed.resize(43);
  row.column_count = 20;
  entry = decode_legacy_column_entry(row.pieces(), counter);
  EXPECT_EQ(entry->collation_id, -1);
  EXPECT_EQ(entry->status, 255);
}

TEST(RowLayouts, LegacyIndexRowsKeepOnlyClusteredIndexes) {
  const SystemRow clustered = writer::legacy_index_row(2053582354, 1, 120, 121);
  const std::optional<LegacyIndexRow> row = decode_legacy_index_row(clustered.pieces(), 3);
  ASSERT_TRUE(row);
  EXPECT_EQ(row->key, (LegacyIndexKey{2053582354, 3, 1}));
  EXPECT_EQ(row->value.first_page, 120u);
  EXPECT_EQ(row->value.first_iam_page, 121u);
  EXPECT_FALSE(decode_legacy_index_row(writer::legacy_index_row(2053582354, 0, 120, 121).pieces(), 1));
  EXPECT_FALSE(decode_legacy_index_row(writer::legacy_index_row(2053582354, 2, 120, 121).pieces(), 1));
  EXPECT_TRUE((LegacyIndexKey{5, 1, 9}) < (LegacyIndexKey{5, 2, 1}));
  EXPECT_TRUE((LegacyIndexKey{4, 9, 9}) < (LegacyIndexKey{5, 1, 1}));
}

TEST(RowLayouts, AllocationUnitPointersAndPageObjectId) {
  writer::AllocUnitRowSpec desc;
  desc.id = 72057594039697408;  // 0x0100000000FA0000 -> page object id 250
  desc.owner_id = 72057594038845440;
  desc.first_page = 153;
  desc.first_file = 1;
  desc.root_page = 154;
  desc.root_file = 1;
  desc.first_iam_page = 155;
  desc.first_iam_file = 1;
  const std::optional<AllocUnitEntry> entry = decode_alloc_unit_entry(writer::alloc_unit_row(desc).pieces());
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->type, 1);
  EXPECT_EQ(entry->owner_id, 72057594038845440);
  EXPECT_EQ(entry->first_page.page_number, 153u);
  EXPECT_EQ(entry->first_page.file_id, 1);
  EXPECT_EQ(entry->root_page.page_number, 154u);
  EXPECT_EQ(entry->first_iam_page.page_number, 155u);
  EXPECT_EQ(entry->page_object_id(), static_cast<std::int32_t>((72057594039697408ull >> 16) & 0xFFFFFFFF));
}

TEST(RowLayouts, PositionTablesRoundTrip) {
  const std::optional<RowsetEntry> rowset = decode_rowset_entry(writer::rowset_row(77, 2073058421, 1, 91).pieces());
  ASSERT_TRUE(rowset);
  EXPECT_EQ(rowset->rowset_id, 77);
  EXPECT_EQ(rowset->object_id, 2073058421);
  EXPECT_EQ(rowset->index_id, 1);
  EXPECT_EQ(rowset->row_count, 91);

  const std::optional<RowsetColumnEntry> rscol =
      decode_rowset_column_entry(writer::rowset_column_row({77, 3, 3, -2, 3}).pieces());
  ASSERT_TRUE(rscol);
  EXPECT_EQ(rscol->rowset_column_id, 3);
  EXPECT_EQ(rscol->physical_column_id, 3);
  EXPECT_EQ(rscol->leaf_offset, -2);
  EXPECT_EQ(rscol->null_bit, 3);

  const std::optional<HobtColumnEntry> hobt = decode_hobt_column_entry(writer::hobt_column_row(77, 2, 8, -1).pieces());
  ASSERT_TRUE(hobt);
  EXPECT_EQ(hobt->column_id, 2);
  EXPECT_EQ(hobt->leaf_offset, 8);
  EXPECT_EQ(hobt->null_bit, -1);
  EXPECT_EQ(hobt->physical_column_id, -1);

  const std::optional<RowsetColumnMapEntry> map = decode_rowset_column_map_entry(writer::column_map_row(77, 2, 5).pieces());
  ASSERT_TRUE(map);
  EXPECT_EQ(map->physical_column_id, 5);

  const std::optional<ScalarTypeEntry> type = decode_scalar_type_entry(writer::scalar_type_row(256, "sysname", 231, 256).pieces());
  ASSERT_TRUE(type);
  EXPECT_EQ(type->name, "sysname");
  EXPECT_EQ(type->system_type_id, 231);
  EXPECT_EQ(type->max_length, 256);
  EXPECT_EQ(type->schema_id, 1);

  const std::optional<IndexEntry> index = decode_index_entry(writer::index_row(9, 1, "PK_Orders", 0x12, 1, 77).pieces());
  ASSERT_TRUE(index);
  EXPECT_EQ(index->name, "PK_Orders");
  EXPECT_EQ(index->status, 0x12);
  EXPECT_EQ(index->type, 1);
  EXPECT_EQ(index->rowset_id, 77);

  const std::optional<IndexColumnEntry> iscol = decode_index_column_entry(writer::index_column_row(9, 1, 1, 4, 1).pieces());
  ASSERT_TRUE(iscol);
  EXPECT_EQ(iscol->column_id, 4);
  EXPECT_EQ(iscol->key_ordinal, 1);
  EXPECT_EQ(iscol->index_status, 0);

  const std::optional<ObjectRefEntry> ref = decode_object_ref_entry(writer::object_ref_row(5, 10, 1, 20, 2).pieces());
  ASSERT_TRUE(ref);
  EXPECT_EQ(ref->ref_class, 5);
  EXPECT_EQ(ref->dependent_id, 10);
  EXPECT_EQ(ref->dependent_sub_id, 1);
  EXPECT_EQ(ref->independent_id, 20);
  EXPECT_EQ(ref->independent_sub_id, 2);
}

TEST(RowLayouts, NameTextStopsAtTheFirstZeroCodeUnit) {
  std::vector<std::uint8_t> bytes = writer::utf16("Ab");
  bytes.push_back(0);
  bytes.push_back(0);
  const std::vector<std::uint8_t> tail = writer::utf16("zz");
  bytes.insert(bytes.end(), tail.begin(), tail.end());
  bytes.push_back(0x41);  // an odd last byte
  EXPECT_EQ(utf16_name_text(ByteReader(bytes)), "Ab");
  EXPECT_EQ(utf16_name_text(ByteReader(writer::utf16("M\xC3\xBCnchen"))), "M\xC3\xBCnchen");
}

}  // namespace
}  // namespace portalmend
