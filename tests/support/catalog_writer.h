#pragma once
// Builds the rows of the system base tables, and whole small databases from them, for the
// catalog tests: either catalog layout, and the damage no real file shows on demand
// (missing pages of a table, missing rows, a page stored twice).
//
// The row builders write every field at its on-disk offset (the numbers are written out
// here, not taken from the decoders, so that a wrong offset on either side shows).

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "catalog/object_entry.h"
#include "catalog/row_pieces.h"
#include "support/data_file_writer.h"

namespace portalmend::writer {

// One system-table row before it becomes a record: the fixed-length part, the variable
// columns (nothing = a column without value) and the record's column count.
struct SystemRow {
  std::vector<std::uint8_t> fixed;
  std::vector<std::optional<std::vector<std::uint8_t>>> variable;
  int column_count = 0;

  // A view of the row as the decoders receive it (valid while the row lives).
  RowPieces pieces() const;
};

// Little-endian field stores into a byte vector that grows to hold them.
void set_u8(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint8_t value);
void set_u16(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint16_t value);
void set_u32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value);
void set_u64(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint64_t value);

// UTF-16LE bytes of an ASCII/UTF-8 text (code points below U+10000).
std::vector<std::uint8_t> utf16(const std::string& text);

// --- sysfiles1 (8) ---
SystemRow file_row(std::int32_t file_id, const std::string& logical_name, const std::string& physical_name,
                   std::int32_t status = 2);

// --- sysschobjs (34) / sysobjects (1) ---
struct ObjectRowSpec {
  std::int32_t id = 0;
  std::optional<std::string> name;  // nothing: the row has no name column
  std::string type = "U ";
  std::int32_t parent_id = 0;
  std::int32_t namespace_id = 1;
  std::int32_t status = 0;
};
SystemRow object_row(const ObjectRowSpec& desc);         // modern layout, fixed part 24+ bytes
SystemRow legacy_object_row(const ObjectRowSpec& desc);  // SQL Server 2000 sysobjects, 28+ bytes

// --- syscolpars (41) ---
struct ColumnRowSpec {
  std::int32_t object_id = 0;
  std::int32_t column_id = 0;
  std::optional<std::string> name;
  std::uint8_t system_type_id = 56;
  std::int32_t user_type_id = 56;
  std::int16_t max_length = 4;
  std::uint8_t precision = 0;
  std::uint8_t scale = 0;
  std::int32_t collation_id = 0;
  std::int32_t status = 0;  // bit 0 set: NOT NULL; 5: identity
  std::int16_t number = 0;
  std::optional<std::vector<std::uint8_t>> identity_value;  // second variable column
};
SystemRow column_row(const ColumnRowSpec& desc);

// --- syscolumns (3, SQL Server 2000) ---
struct LegacyColumnRowSpec {
  std::int32_t object_id = 0;
  std::int16_t column_id = 0;
  std::optional<std::string> name;
  std::uint8_t system_type_id = 56;
  std::int16_t user_type_id = 7;
  std::int16_t length = 4;
  std::int16_t fixed_offset = 0;
  std::int16_t offset = 0;
  std::int16_t column_order = 0;
  std::uint8_t type_status = 0;
  std::int32_t collation_id = 0;
  std::uint8_t status = 0;  // bit 0 set: NOT NULL
};
SystemRow legacy_column_row(const LegacyColumnRowSpec& desc);

// --- sysallocunits (7) ---
struct AllocUnitRowSpec {
  std::int64_t id = 0;
  std::uint8_t type = 1;
  std::int64_t owner_id = 0;
  std::uint32_t first_page = 0;
  std::uint16_t first_file = 0;
  std::uint32_t root_page = 0;
  std::uint16_t root_file = 0;
  std::uint32_t first_iam_page = 0;
  std::uint16_t first_iam_file = 0;
};
SystemRow alloc_unit_row(const AllocUnitRowSpec& desc);

// --- sysrowsets (5) ---
SystemRow rowset_row(std::int64_t rowset_id, std::int32_t object_id, std::int32_t index_id,
                     std::int64_t row_count = 0);

// --- sysrscols (3, modern) ---
struct RowsetColumnRowSpec {
  std::int64_t rowset_id = 0;
  std::int32_t rowset_column_id = 0;
  std::int32_t physical_column_id = 0;
  std::int32_t leaf_offset = 0;
  std::int32_t null_bit = 0;
};
SystemRow rowset_column_row(const RowsetColumnRowSpec& desc);

// --- object id 13 (hobt columns) and 4 (column map) ---
SystemRow hobt_column_row(std::int64_t rowset_id, std::int32_t column_id, std::int16_t leaf_offset,
                          std::int16_t null_bit);
SystemRow column_map_row(std::int64_t rowset_id, std::int32_t column_id, std::int32_t physical_column_id);

// --- sysscalartypes (50) ---
SystemRow scalar_type_row(std::int32_t type_id, const std::string& name, std::uint8_t system_type_id,
                          std::int16_t max_length, std::int32_t schema_id = 1);
// The rows of the system types a database holds (int, nvarchar, sysname ...).
std::vector<SystemRow> standard_scalar_type_rows();

// --- sysidxstats (54), sysiscols (55), syssingleobjrefs (74) ---
SystemRow index_row(std::int32_t object_id, std::int32_t index_id, const std::string& name, std::int32_t status,
                    std::uint8_t type, std::int64_t rowset_id);
SystemRow index_column_row(std::int32_t object_id, std::int32_t index_id, std::int32_t index_column_id,
                           std::int32_t column_id, std::uint8_t key_ordinal);
SystemRow object_ref_row(std::uint8_t ref_class, std::int32_t dependent_id, std::int32_t dependent_sub_id,
                         std::int32_t independent_id, std::int32_t independent_sub_id);

// --- sysindexes (2, SQL Server 2000) ---
SystemRow legacy_index_row(std::int32_t object_id, std::int16_t index_id, std::uint32_t first_page,
                           std::uint32_t first_iam_page);

// ---------------------------------------------------------------------------------------
// Whole small databases.

// A column of a user table. Fixed-length types store `fixed_size` bytes in the record's
// fixed part; variable types (varchar, nvarchar, varbinary ...) store their bytes among the
// variable columns.
struct TableColumnSpec {
  std::string name;
  std::uint8_t system_type_id = 56;
  std::int16_t max_length = 4;
  bool nullable = true;
  bool identity = false;
  std::uint8_t precision = 0;
  std::uint8_t scale = 0;
  std::int32_t collation_id = 0;
  // A computed column: catalog rows only, no storage in the records.
  bool computed = false;
  // Leave the column's syscolpars row out (a lost row).
  bool lose_catalog_row = false;
  // Stored in the variable part of the record.
  bool variable() const;
  // Bytes in the fixed part (0 for variable and computed columns).
  std::size_t fixed_size() const;
};

// One value per column of the table, in column order (computed columns included, their
// value ignored); nothing is NULL.
using TableRowValues = std::vector<std::optional<std::vector<std::uint8_t>>>;

struct TableSpec {
  std::int32_t id = 0;
  std::string name;
  std::string type = "U ";
  std::vector<TableColumnSpec> columns;
  std::vector<TableRowValues> rows;
  // Column positions from the older tables (object ids 13 and 4) instead of sysrscols.
  bool hobt_positions = false;
};

// Builds a database file from system table rows and user tables, in either catalog layout.
// Page 9 is the boot page; system table pages follow from page 16, each table's rows packed
// into as few pages as fit (or rows_per_page), then the user tables' data pages.
class CatalogDatabaseWriter {
 public:
  explicit CatalogDatabaseWriter(CatalogLayout layout = CatalogLayout::kModern);

  CatalogLayout layout() const { return layout_; }

  // Boot page contents.
  void set_database_name(const std::string& name) { database_name_ = name; }
  void set_version(std::uint16_t version) { version_ = version; }
  void set_collation_id(std::int32_t id) { collation_id_ = id; }

  // The system types (sysscalartypes) and the primary file's sysfiles1 row are added by
  // the constructor; these add to them.
  void add_system_row(std::int32_t object_id, const SystemRow& row);
  // All rows of one system table, in order.
  const std::vector<SystemRow>& system_rows(std::int32_t object_id) const;

  // Adds a table (or any object: only its objects-table row for types other than tables)
  // with its catalog rows and data pages.
  void add_table(const TableSpec& table);
  void add_object(std::int32_t id, const std::string& name, const std::string& type, std::int32_t parent_id = 0);

  // Damage and layout choices applied when the file is built.
  void set_rows_per_page(std::size_t rows) { rows_per_page_ = rows; }
  // The table's pages are not written (as if lost).
  void drop_table_pages(std::int32_t object_id);
  // Every page of the table is stored twice (an old copy of each page elsewhere in the file).
  void duplicate_table_pages(std::int32_t object_id);

  // The file; `pages` records where each system table's pages went.
  DataFileWriter build() const;
  bool write(const std::string& path) const { return build().write(path); }

  // The page object id of a table's in-row data (the object id its data pages carry).
  static std::int32_t page_object_id_of(std::int32_t table_id);
  static std::int64_t rowset_id_of(std::int32_t table_id);

 private:
  void add_modern_table(const TableSpec& table);
  void add_legacy_table(const TableSpec& table);
  std::vector<std::uint8_t> encode_user_row(const TableSpec& table, const TableRowValues& values) const;

  CatalogLayout layout_;
  std::string database_name_ = "PortalmendTest";
  std::uint16_t version_ = 611;
  std::int32_t collation_id_ = 872468488;  // SQL_Latin1_General_CP1_CI_AS
  std::map<std::int32_t, std::vector<SystemRow>> system_rows_;
  std::vector<std::int32_t> system_order_;
  std::vector<std::pair<std::int32_t, std::vector<std::vector<std::uint8_t>>>> user_pages_;  // page object id, records
  std::size_t rows_per_page_ = 0;
  std::vector<std::int32_t> dropped_;
  std::vector<std::int32_t> duplicated_;
};

}  // namespace portalmend::writer
