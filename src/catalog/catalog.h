#pragma once
// The in-memory copy of a database's system base tables, rebuilt from the data file, and
// the one object prepared from it at a time.
//
// The build reads each system table by the object id its pages carry in their headers (the
// page scan files them in the system page map), so no page has to be reachable from any
// other: a damaged page only loses its own rows. It detects the catalog layout by itself:
// SQL Server 2005 and later (sysschobjs, syscolpars, ...) or SQL Server 2000 (sysobjects,
// syscolumns, sysindexes).
//
// System tables read, by object id:
//   modern: 8 sysfiles1, 34 sysschobjs, 7 sysallocunits, 5 sysrowsets, 41 syscolpars,
//           50 sysscalartypes, 3 sysrscols, 74 syssingleobjrefs, 54 sysidxstats,
//           55 sysiscols, 13 hobt columns, 4 column map
//   legacy: 8 sysfiles1, 1 sysobjects, 99 (read as allocation units), 5 sysrowsets,
//           2 sysindexes, 3 syscolumns, 50 sysscalartypes

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "catalog/alloc_unit_entry.h"
#include "catalog/column_description.h"
#include "catalog/column_entry.h"
#include "catalog/file_entry.h"
#include "catalog/hobt_column_entry.h"
#include "catalog/index_column_entry.h"
#include "catalog/index_entry.h"
#include "catalog/legacy_column_entry.h"
#include "catalog/legacy_index_map.h"
#include "catalog/object_entry.h"
#include "catalog/object_ref_entry.h"
#include "catalog/object_values_cache.h"
#include "catalog/rowset_column_entry.h"
#include "catalog/rowset_column_map_entry.h"
#include "catalog/rowset_entry.h"
#include "catalog/scalar_type_entry.h"
#include "storage/page_address.h"

namespace portalmend {

class DatabaseFile;

// Object ids of the system base tables.
namespace systable {
constexpr std::int32_t kSysObjects = 1;      // SQL Server 2000
constexpr std::int32_t kSysIndexes = 2;      // SQL Server 2000
constexpr std::int32_t kSysRsCols = 3;       // modern layout
constexpr std::int32_t kSysColumns = 3;      // SQL Server 2000
constexpr std::int32_t kColumnMap = 4;
constexpr std::int32_t kSysRowsets = 5;
constexpr std::int32_t kSysAllocUnits = 7;
constexpr std::int32_t kSysFiles1 = 8;
constexpr std::int32_t kHobtColumns = 13;
constexpr std::int32_t kSysSchObjs = 34;
constexpr std::int32_t kSysColPars = 41;
constexpr std::int32_t kSysScalarTypes = 50;
constexpr std::int32_t kSysIdxStats = 54;
constexpr std::int32_t kSysIsCols = 55;
constexpr std::int32_t kSysSingleObjRefs = 74;
constexpr std::int32_t kLegacyAllocUnits = 99;  // SQL Server 2000: decoded as allocation units
}  // namespace systable

// The lists of system table rows, each in the order the rows were read (page list order,
// then slot order); nothing is sorted or deduplicated.
struct CatalogLists {
  std::vector<FileEntry> files;
  std::vector<ObjectEntry> objects;
  std::vector<AllocUnitEntry> alloc_units;
  std::vector<RowsetEntry> rowsets;
  std::vector<ColumnEntry> columns;
  std::vector<LegacyColumnEntry> legacy_columns;
  LegacyIndexMap legacy_indexes;
  std::vector<LegacyTableEntry> legacy_tables;
  std::vector<ScalarTypeEntry> scalar_types;
  std::vector<RowsetColumnEntry> rowset_columns;
  std::vector<HobtColumnEntry> hobt_columns;
  std::vector<RowsetColumnMapEntry> column_maps;
  std::vector<ObjectRefEntry> object_refs;
  std::vector<IndexEntry> indexes;
  std::vector<IndexColumnEntry> index_columns;
};

// What Prepare object fills: the current object and, for a table, its storage and columns.
struct CurrentObjectSlots {
  // The object found (id -1 when none was found).
  ObjectEntry object;
  // The rowset and allocation unit the row readers start from (modern layout).
  RowsetEntry rowset = RowsetEntry::none();
  AllocUnitEntry alloc_unit;
  // Every rowset of the table, and every allocation unit owned by one of them.
  std::vector<RowsetEntry> rowsets;
  std::vector<AllocUnitEntry> alloc_units;
  // The table's data pages as the page scan found them.
  std::vector<PageAddress> page_list;
  std::vector<ColumnEntry> columns;
  std::vector<LegacyColumnEntry> legacy_columns;
  std::vector<RowsetColumnEntry> rowset_columns;
  std::vector<HobtColumnEntry> hobt_columns;
  std::vector<RowsetColumnMapEntry> column_maps;
  std::vector<IndexEntry> indexes;
  std::vector<IndexColumnEntry> index_columns;
  // Emptied by every preparation; built by a table preparation (or stored by a caller).
  ColumnDescriptionList column_descriptions;
  // Index of the first column description that is not hidden (0 when none).
  std::size_t first_shown_column = 0;
  // True after a table preparation, false after any other; false for a new catalog.
  bool is_table = false;
};

class Catalog {
 public:
  // Reads the boot page and every system table of `file` (which must be open) in order,
  // each step skipped once the abort flag is set. Publishes the layout in the application's
  // legacy catalog flag. Registers the database's secondary files with `file`.
  // `after_step`, when given, is called after each step with the step's name ("boot page",
  // "files", "secondary files", "objects", "allocation units", "rowsets", "legacy indexes",
  // "legacy tables", "legacy columns", "columns", "tables from columns", "types",
  // "rowset columns", "object references", "indexes", "index columns", "hobt columns",
  // "column map", "foreign keys").
  static std::unique_ptr<Catalog> Build(DatabaseFile& file,
                                        const std::function<void(const char* step)>& after_step = {});

  // An empty catalog on `file` (may be null: then no table has pages); for the build and
  // for tests that fill the lists themselves.
  explicit Catalog(DatabaseFile* file, CatalogLayout layout = CatalogLayout::kModern);

  Catalog(const Catalog&) = delete;
  Catalog& operator=(const Catalog&) = delete;

  DatabaseFile* file() const { return file_; }
  CatalogLayout layout() const { return layout_; }
  bool legacy() const { return layout_ == CatalogLayout::kLegacy; }
  void set_layout(CatalogLayout layout) { layout_ = layout; }

  const CatalogLists& lists() const { return lists_; }
  CatalogLists& mutable_lists() { return lists_; }
  const CurrentObjectSlots& current() const { return current_; }

  // The catalog's column description list (the one Prepare object built, or the one a
  // caller stored).
  const ColumnDescriptionList& column_descriptions() const { return current_.column_descriptions; }
  void set_column_descriptions(ColumnDescriptionList columns) { current_.column_descriptions = std::move(columns); }

  // The pages read per system table during the build (object id to number of page reads).
  const std::map<std::int32_t, std::size_t>& system_page_reads() const { return page_reads_; }

  // The first object, in list order, named `name` whose type is `type` or is neither
  // "U " nor "S " (exact, case-sensitive comparisons); id -1 when none matches.
  ObjectEntry FindObject(const std::string& name, const std::string& type) const;

  // Prepares the object named `name` of `type` and returns its column descriptions (a
  // copy): a table's columns, or for a view, procedure, function, trigger, default or
  // constraint three descriptions whose value texts are its id, type and name. Computed
  // column definitions are looked up in `values` (may be empty).
  ColumnDescriptionList PrepareObject(const std::string& name, const std::string& type,
                                      const ObjectValuesCache& values);

  // A column description of `entry` as a table preparation builds it (type name from the
  // scalar types, type text, code, nullability, identity).
  ColumnDescription DescribeColumn(const ColumnEntry& entry) const;
  ColumnDescription DescribeColumn(const LegacyColumnEntry& entry) const;

  // The type name of a column: the scalar type whose id is the column's system type id.
  std::string TypeName(std::uint8_t system_type_id, std::int32_t user_type_id) const;

 private:
  friend class CatalogBuilder;

  // Storage of a modern-layout table: rowset, allocation unit(s) and data pages.
  void ChooseStorage(std::int32_t table_id);
  void ChooseLegacyStorage(std::int32_t table_id);
  void CollectColumns(std::int32_t table_id);
  void CollectPositionTables();
  void BuildColumnDescriptions();
  void PlacePhysicalColumns(const std::string& id_text, const ObjectValuesCache& values);
  const std::vector<PageRef>& DataPages(std::int32_t object_id) const;

  // Steps of keys and constraints (filled in with the keys and constraints of tables).
  void CollectCurrentConstraints();
  void CollectCurrentIndexes();
  void ApplyKeyFlags();
  void DeriveForeignKeyColumns();

  DatabaseFile* file_;
  CatalogLayout layout_;
  std::uint64_t repair_counter_ = 0;
  CatalogLists lists_;
  CurrentObjectSlots current_;
  std::map<std::int32_t, std::size_t> page_reads_;
};

}  // namespace portalmend
