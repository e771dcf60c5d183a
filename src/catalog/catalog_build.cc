// Build catalog: the boot page and the system base tables, read in a fixed order.

#include <algorithm>

#include "catalog/catalog.h"
#include "catalog/system_table_reader.h"
#include "storage/app_settings.h"
#include "storage/boot_page.h"
#include "storage/database_file.h"

namespace portalmend {

namespace {

constexpr std::int32_t kFirstUserObjectId = 100;
constexpr std::int32_t kPrimaryFile = 1;
constexpr std::int32_t kUnknownId = -1;
constexpr std::uint8_t kUnknownByte = 255;

bool aborted() { return theApp.abort_flag.load() != 0; }

}  // namespace

// Runs the build steps on one catalog.
class CatalogBuilder {
 public:
  CatalogBuilder(Catalog& catalog, DatabaseFile& file) : catalog_(catalog), file_(file), lists_(catalog.lists_) {}

  void Run(const std::function<void(const char*)>& after_step) {
    auto step = [&](const char* name, const std::function<void()>& work) {
      if (aborted()) return;
      work();
      if (after_step) after_step(name);
    };
    step("boot page", [&] { ReadBootPage(); });
    step("files", [&] { ReadFiles(); });
    step("secondary files", [&] { RegisterSecondaryFiles(); });
    step("objects", [&] { ReadObjects(); });
    step("allocation units", [&] { ReadAllocUnits(); });
    step("rowsets", [&] { Read(systable::kSysRowsets, lists_.rowsets, decode_rowset_entry); });
    if (catalog_.legacy()) {
      step("legacy indexes", [&] { ReadLegacyIndexes(); });
      step("legacy tables", [&] { MakeLegacyTables(); });
      step("legacy columns", [&] { ReadLegacyColumns(); });
    } else {
      step("columns", [&] { ReadColumns(); });
    }
    step("tables from columns", [&] { MakeTablesFromColumns(); });
    step("types", [&] { Read(systable::kSysScalarTypes, lists_.scalar_types, decode_scalar_type_entry); });
    if (catalog_.legacy()) return;
    step("rowset columns", [&] { Read(systable::kSysRsCols, lists_.rowset_columns, decode_rowset_column_entry); });
    step("object references",
         [&] { Read(systable::kSysSingleObjRefs, lists_.object_refs, decode_object_ref_entry, true); });
    step("indexes", [&] { Read(systable::kSysIdxStats, lists_.indexes, decode_index_entry); });
    step("index columns", [&] { Read(systable::kSysIsCols, lists_.index_columns, decode_index_column_entry); });
    step("hobt columns", [&] { Read(systable::kHobtColumns, lists_.hobt_columns, decode_hobt_column_entry); });
    step("column map", [&] { Read(systable::kColumnMap, lists_.column_maps, decode_rowset_column_map_entry); });
    step("foreign keys", [&] { catalog_.DeriveForeignKeyColumns(); });
  }

 private:
  // Reads table `object_id` and appends every row `decode` takes to `list`.
  template <typename Entry, typename Decode>
  void Read(std::int32_t object_id, std::vector<Entry>& list, Decode decode, bool data_pages_only = false) {
    SystemTableRead table;
    table.object_id = object_id;
    table.data_pages_only = data_pages_only;
    Scan(table, [&](const RowPieces& row, const PageRef&) {
      if (std::optional<Entry> entry = decode(row)) list.push_back(std::move(*entry));
    });
  }

  void Scan(const SystemTableRead& table, const std::function<void(const RowPieces&, const PageRef&)>& on_row,
            const std::function<void()>& after_page = {}) {
    catalog_.page_reads_[table.object_id] += read_system_table(file_, table, on_row, after_page);
  }

  // The collation read here decides the code page of every 8-bit value shown later, so it
  // goes to the application settings, looked up in the table loaded from collation.txt.
  void ReadBootPage() { locate_and_read_boot_page(file_, theApp.collation_table, theApp.chosen_collation); }

  void ReadFiles() { Read(systable::kSysFiles1, lists_.files, decode_file_entry); }

  void RegisterSecondaryFiles() {
    if (lists_.files.empty()) {
      for (const SecondaryFile& found : file_.register_folder_files()) {
        FileEntry entry;
        entry.file_id = found.file_id;
        entry.logical_name = found.logical_name;
        Adopt(entry, found);
        lists_.files.push_back(entry);
      }
      return;
    }
    std::vector<ListedFile> listed;
    for (const FileEntry& entry : lists_.files) {
      if (entry.file_id > kPrimaryFile) listed.push_back({entry.file_id, entry.logical_name, entry.physical_name});
    }
    if (listed.empty()) return;
    for (const SecondaryFile& registered : file_.register_listed_files(listed)) {
      for (FileEntry& entry : lists_.files) {
        if (entry.file_id == registered.file_id) Adopt(entry, registered);
      }
    }
  }

  static void Adopt(FileEntry& entry, const SecondaryFile& file) {
    entry.path = file.path;
    entry.file_size = file.file_size;
    entry.page_count = file.page_count;
    entry.leading_offset = file.leading_offset;
  }

  // The objects table decides the layout: rows under sysschobjs mean the modern layout,
  // rows only under sysobjects the SQL Server 2000 one. When neither has a usable row the
  // layout stays modern, so that the columns table is still read and the lost objects can
  // be made up from it (a 2000 database has no syscolpars, so nothing is made up there).
  void ReadObjects() {
    ReadObjectTable(systable::kSysSchObjs, CatalogLayout::kModern);
    if (!lists_.objects.empty()) {
      UseLayout(CatalogLayout::kModern);
      return;
    }
    UseLayout(CatalogLayout::kLegacy);
    ReadObjectTable(systable::kSysObjects, CatalogLayout::kLegacy);
    if (lists_.objects.empty()) UseLayout(CatalogLayout::kModern);
  }

  void UseLayout(CatalogLayout layout) {
    catalog_.set_layout(layout);
    theApp.legacy_catalog_flag.store(layout == CatalogLayout::kLegacy ? 1 : 0);
  }

  void ReadObjectTable(std::int32_t object_id, CatalogLayout layout) {
    std::uint64_t& counter = catalog_.repair_counter_;
    counter = 0;
    SystemTableRead table;
    table.object_id = object_id;
    Scan(table, [&](const RowPieces& row, const PageRef&) {
      if (std::optional<ObjectEntry> entry = decode_object_entry(row, layout, counter)) {
        lists_.objects.push_back(std::move(*entry));
      }
    });
    counter = 0;
  }

  void ReadAllocUnits() {
    const std::int32_t table = catalog_.legacy() ? systable::kLegacyAllocUnits : systable::kSysAllocUnits;
    Read(table, lists_.alloc_units, decode_alloc_unit_entry);
  }

  void ReadColumns() {
    std::uint64_t& counter = catalog_.repair_counter_;
    counter = 0;
    SystemTableRead table;
    table.object_id = systable::kSysColPars;
    table.skip_index_records = true;
    Scan(table, [&](const RowPieces& row, const PageRef&) {
      if (std::optional<ColumnEntry> entry = decode_column_entry(row, counter)) {
        lists_.columns.push_back(std::move(*entry));
      }
    });
    counter = 0;
  }

  void ReadLegacyIndexes() {
    SystemTableRead table;
    table.object_id = systable::kSysIndexes;
    table.data_pages_only = true;
    table.skip_index_records = true;
    Scan(table, [&](const RowPieces& row, const PageRef& page) {
      if (std::optional<LegacyIndexRow> index = decode_legacy_index_row(row, page.file_id)) {
        lists_.legacy_indexes[index->key] = index->value;
      }
    });
  }

  void MakeLegacyTables() {
    for (const auto& [key, value] : lists_.legacy_indexes) {
      if (key.object_id <= kFirstUserObjectId || key.index_id != LegacyIndexRow::kClusteredIndexId) continue;
      LegacyTableEntry table;
      table.object_id = key.object_id;
      auto object = std::find_if(lists_.objects.begin(), lists_.objects.end(),
                                 [&](const ObjectEntry& o) { return o.id == key.object_id; });
      if (object != lists_.objects.end()) table.name = object->name;
      lists_.legacy_tables.push_back(std::move(table));
    }
  }

  void ReadLegacyColumns() {
    std::uint64_t& counter = catalog_.repair_counter_;
    counter = 0;
    std::size_t page_start = lists_.legacy_columns.size();
    SystemTableRead table;
    table.object_id = systable::kSysColumns;
    table.skip_index_records = true;
    Scan(
        table,
        [&](const RowPieces& row, const PageRef&) {
          if (std::optional<LegacyColumnEntry> entry = decode_legacy_column_entry(row, counter)) {
            lists_.legacy_columns.push_back(std::move(*entry));
          }
        },
        [&] {
          for (std::size_t i = page_start; i < lists_.legacy_columns.size(); ++i) {
            const LegacyColumnEntry& column = lists_.legacy_columns[i];
            for (LegacyTableEntry& legacy_table : lists_.legacy_tables) {
              if (legacy_table.object_id != column.object_id) continue;
              legacy_table.key_columns.push_back({column.name, column.column_order, column.type_status});
            }
          }
          page_start = lists_.legacy_columns.size();
        });
    counter = 0;
  }

  // A database whose objects table is lost still has its columns: each table they name
  // becomes a user table called by its id.
  void MakeTablesFromColumns() {
    if (!lists_.objects.empty()) return;
    for (const ColumnEntry& column : lists_.columns) {
      const bool known = std::any_of(lists_.objects.begin(), lists_.objects.end(),
                                     [&](const ObjectEntry& o) { return o.id == column.object_id; });
      if (known) continue;
      ObjectEntry object;
      object.id = column.object_id;
      object.name = std::to_string(column.object_id);
      object.type = "U ";
      object.namespace_id = kUnknownId;
      object.namespace_class = kUnknownByte;
      object.status = kUnknownId;
      object.parent_id = kUnknownId;
      object.parent_class = kUnknownByte;
      object.property = kUnknownId;
      lists_.objects.push_back(std::move(object));
    }
  }

  Catalog& catalog_;
  DatabaseFile& file_;
  CatalogLists& lists_;
};

std::unique_ptr<Catalog> Catalog::Build(DatabaseFile& file, const std::function<void(const char* step)>& after_step) {
  auto catalog = std::make_unique<Catalog>(&file);
  CatalogBuilder(*catalog, file).Run(after_step);
  return catalog;
}

}  // namespace portalmend
