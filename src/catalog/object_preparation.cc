// Prepare object: one object at a time turned into column descriptions and storage.

#include <algorithm>
#include <array>

#include "catalog/catalog.h"
#include "catalog/type_mapping.h"
#include "storage/app_settings.h"
#include "storage/database_file.h"

namespace portalmend {

namespace {

// Objects that are not tables: their preparation gives id, type and name.
constexpr std::array<const char*, 12> kNonTableTypes = {"PK", "X ", "P ", "C ", "FN", "IF",
                                                         "TR", "V ", "D ", "TT", "F ", "TF"};

// Bits 24 and 25 of an object id are ignored when columns are matched to their table.
constexpr std::uint32_t kObjectIdMatchMask = 0xFCFFFFFFu;

constexpr std::uint8_t kDataPageType = 1;
constexpr std::int32_t kNullableBit = 0x1;
constexpr int kSparseBitShift = 24;
constexpr std::int32_t kClusteredIndexId = 1;

bool same_table(std::int32_t a, std::int32_t b) {
  return (static_cast<std::uint32_t>(a) & kObjectIdMatchMask) == (static_cast<std::uint32_t>(b) & kObjectIdMatchMask);
}

bool aborted() { return theApp.abort_flag.load() != 0; }

bool is_non_table_type(const std::string& type) {
  return std::any_of(kNonTableTypes.begin(), kNonTableTypes.end(), [&](const char* t) { return type == t; });
}

ColumnDescription value_only(const std::string& value) {
  ColumnDescription column;
  column.value_text = value;
  return column;
}

const std::vector<PageRef>& no_pages() {
  static const std::vector<PageRef> empty;
  return empty;
}

}  // namespace

Catalog::Catalog(DatabaseFile* file, CatalogLayout layout) : file_(file), layout_(layout) {}

const std::vector<PageRef>& Catalog::DataPages(std::int32_t object_id) const {
  return file_ ? file_->data_pages(object_id) : no_pages();
}

ObjectEntry Catalog::FindObject(const std::string& name, const std::string& type) const {
  for (const ObjectEntry& object : lists_.objects) {
    if (object.name != name) continue;
    if (object.type == type || (object.type != "U " && object.type != "S ")) return object;
  }
  ObjectEntry none;
  none.id = -1;
  return none;
}

std::string Catalog::TypeName(std::uint8_t system_type_id, std::int32_t user_type_id) const {
  const ScalarTypeEntry* fallback = nullptr;
  for (const ScalarTypeEntry& type : lists_.scalar_types) {
    if (type.type_id != system_type_id) continue;
    if (user_type_id == type.type_id && type.system_type_id == system_type_id &&
        type.schema_id == ScalarTypeEntry::kSysSchemaId) {
      return type.name;
    }
    if (!fallback) fallback = &type;
  }
  return fallback ? fallback->name : std::string();
}

ColumnDescription Catalog::DescribeColumn(const ColumnEntry& entry) const {
  const std::string type_text =
      TypeName(entry.system_type_id, entry.user_type_id) + "(" + std::to_string(entry.max_length) + ")";
  ColumnDescription column = make_column_description(entry.name, type_text, column_type_code(entry.system_type_id));
  column.type_code = clr_adjusted_type_code(column.type_code, entry.user_type_id);
  column.nullable = (entry.status & kNullableBit) == 0 ? 1 : 0;
  column.sparse = static_cast<std::uint8_t>((static_cast<std::uint32_t>(entry.status) >> kSparseBitShift) & 1u);
  column.column_id = entry.column_id;
  column.physical_column_id = entry.column_id;
  column.precision = entry.precision;
  column.scale = entry.scale;
  column.collation_id = entry.collation_id;
  column.identity_text = entry.identity_text;
  return column;
}

ColumnDescription Catalog::DescribeColumn(const LegacyColumnEntry& entry) const {
  const std::string type_text =
      TypeName(entry.system_type_id, entry.user_type_id) + "(" + std::to_string(entry.length) + ")";
  ColumnDescription column = make_column_description(entry.name, type_text, column_type_code(entry.system_type_id));
  column.nullable = (entry.status & kNullableBit) == 0 ? 1 : 0;
  column.column_id = entry.column_id;
  column.physical_column_id = entry.column_id;
  column.precision = entry.precision;
  column.scale = entry.scale;
  column.collation_id = entry.collation_id;
  column.leaf_offset = entry.offset;
  column.legacy_offset = entry.fixed_offset;
  return column;
}

ColumnDescriptionList Catalog::PrepareObject(const std::string& name, const std::string& type,
                                             const ObjectValuesCache& values) {
  current_.column_descriptions.clear();
  current_.object = FindObject(name, type);
  if (current_.object.id == -1) return {};

  const std::int32_t table_id = current_.object.id;
  const std::string id_text = std::to_string(table_id);
  CollectCurrentConstraints();

  if (is_non_table_type(current_.object.type)) {
    current_.is_table = false;
    return {value_only(id_text), value_only(current_.object.type), value_only(current_.object.name)};
  }

  current_.is_table = false;
  if (legacy()) {
    ChooseLegacyStorage(table_id);
  } else {
    ChooseStorage(table_id);
  }
  CollectColumns(table_id);
  if (!legacy()) CollectPositionTables();
  CollectCurrentIndexes();
  BuildColumnDescriptions();
  sort_by_column_id(current_.column_descriptions);
  PlacePhysicalColumns(id_text, values);
  ApplyKeyFlags();

  current_.first_shown_column = 0;
  for (std::size_t i = 0; i < current_.column_descriptions.size(); ++i) {
    if (!current_.column_descriptions[i].hidden()) {
      current_.first_shown_column = i;
      break;
    }
  }
  current_.is_table = true;
  return current_.column_descriptions;
}

void Catalog::ChooseLegacyStorage(std::int32_t table_id) {
  current_.page_list.clear();
  for (const PageRef& ref : DataPages(table_id)) {
    if (ref.page_type == kDataPageType) current_.page_list.push_back(ref.address());
  }
}

void Catalog::ChooseStorage(std::int32_t table_id) {
  // The rowset: the heap or clustered index (smallest index id not above 1, the last row
  // of that id), else the table's last rowset.
  const RowsetEntry* chosen = nullptr;
  const RowsetEntry* last = nullptr;
  current_.rowsets.clear();
  for (const RowsetEntry& rowset : lists_.rowsets) {
    if (rowset.object_id != table_id) continue;
    current_.rowsets.push_back(rowset);
    last = &rowset;
    if (rowset.index_id <= kClusteredIndexId && (!chosen || rowset.index_id <= chosen->index_id)) chosen = &rowset;
  }
  if (!chosen) chosen = last;
  current_.rowset = chosen ? *chosen : RowsetEntry::none();

  // The allocation unit: the last in-row data unit of that rowset.
  current_.alloc_unit = AllocUnitEntry();
  for (const AllocUnitEntry& unit : lists_.alloc_units) {
    if (unit.type == AllocUnitEntry::kInRowData && unit.owner_id == current_.rowset.rowset_id) {
      current_.alloc_unit = unit;
    }
  }
  AllocUnitEntry& unit = current_.alloc_unit;
  if (unit.first_page.page_number != 0 || unit.root_page.page_number != 0 || unit.first_iam_page.page_number != 0) {
    // The stored first page may be stale in a damaged file: the last data page the page
    // scan filed under the unit is taken instead.
    const std::vector<PageRef>& pages = DataPages(unit.page_object_id());
    for (auto it = pages.rbegin(); it != pages.rend(); ++it) {
      if (it->page_type == kDataPageType) {
        unit.first_page.page_number = it->page_number;
        unit.first_page.file_id = it->file_id;
        break;
      }
    }
  }

  current_.alloc_units.clear();
  for (const RowsetEntry& rowset : current_.rowsets) {
    for (const AllocUnitEntry& candidate : lists_.alloc_units) {
      if (candidate.owner_id == rowset.rowset_id) current_.alloc_units.push_back(candidate);
    }
  }
  current_.page_list.clear();
  for (const AllocUnitEntry& owned : current_.alloc_units) {
    for (const PageRef& ref : DataPages(owned.page_object_id())) {
      if (ref.page_type == kDataPageType) current_.page_list.push_back(ref.address());
    }
  }
}

void Catalog::CollectColumns(std::int32_t table_id) {
  current_.columns.clear();
  current_.legacy_columns.clear();
  if (legacy()) {
    for (const LegacyColumnEntry& entry : lists_.legacy_columns) {
      if (aborted()) break;
      if (!same_table(entry.object_id, table_id)) continue;
      const bool known = std::any_of(current_.legacy_columns.begin(), current_.legacy_columns.end(),
                                     [&](const LegacyColumnEntry& c) { return c.column_id == entry.column_id; });
      if (!known) current_.legacy_columns.push_back(entry);
    }
    return;
  }
  for (const ColumnEntry& entry : lists_.columns) {
    if (aborted()) break;
    if (!same_table(entry.object_id, table_id) || entry.number != 0) continue;
    const bool known = std::any_of(current_.columns.begin(), current_.columns.end(),
                                   [&](const ColumnEntry& c) { return c.column_id == entry.column_id; });
    if (!known) current_.columns.push_back(entry);
  }
}

void Catalog::CollectPositionTables() {
  const std::int64_t rowset_id = current_.rowset.rowset_id;
  current_.rowset_columns.clear();
  current_.hobt_columns.clear();
  current_.column_maps.clear();
  for (const RowsetColumnEntry& entry : lists_.rowset_columns) {
    if (entry.rowset_id == rowset_id) current_.rowset_columns.push_back(entry);
  }
  if (!current_.rowset_columns.empty()) return;
  for (const HobtColumnEntry& entry : lists_.hobt_columns) {
    if (entry.rowset_id == rowset_id) current_.hobt_columns.push_back(entry);
  }
  for (const RowsetColumnMapEntry& map : lists_.column_maps) {
    if (map.rowset_id != rowset_id) continue;
    for (HobtColumnEntry& hobt : current_.hobt_columns) {
      if (hobt.column_id == map.column_id) hobt.physical_column_id = map.physical_column_id;
    }
    current_.column_maps.push_back(map);
  }
}

void Catalog::BuildColumnDescriptions() {
  current_.column_descriptions.clear();
  if (legacy()) {
    for (const LegacyColumnEntry& entry : current_.legacy_columns) {
      if (aborted()) break;
      if (entry.system_type_id == 0) continue;
      current_.column_descriptions.push_back(DescribeColumn(entry));
    }
    return;
  }
  for (const ColumnEntry& entry : current_.columns) {
    if (aborted()) break;
    if (entry.system_type_id == 0) continue;
    current_.column_descriptions.push_back(DescribeColumn(entry));
  }
}

void Catalog::PlacePhysicalColumns(const std::string& id_text, const ObjectValuesCache& values) {
  ColumnDescriptionList& columns = current_.column_descriptions;
  const bool has_rowset_columns = !current_.rowset_columns.empty();
  const bool has_hobt_columns = !current_.hobt_columns.empty();

  for (const RowsetColumnEntry& position : current_.rowset_columns) {
    if (aborted()) break;
    for (ColumnDescription& column : columns) {
      if (column.column_id != position.rowset_column_id) continue;
      column.leaf_offset = static_cast<std::int16_t>(position.leaf_offset & 0xFFFF);
      column.physical_column_id = position.physical_column_id;
      column.null_bit = position.null_bit;
      column.has_position = 1;
      break;
    }
  }

  if (!has_rowset_columns && !has_hobt_columns) {
    for (ColumnDescription& column : columns) column.has_position = 1;
  }

  if (has_hobt_columns) {
    for (const HobtColumnEntry& position : current_.hobt_columns) {
      if (aborted()) break;
      auto match = std::find_if(columns.begin(), columns.end(),
                                [&](const ColumnDescription& c) { return c.column_id == position.column_id; });
      if (match != columns.end()) {
        match->leaf_offset = position.leaf_offset;
        match->null_bit = position.null_bit;
        match->physical_column_id = position.physical_column_id;
        match->has_position = 1;
        continue;
      }
      if (columns.size() == current_.hobt_columns.size()) continue;
      // A stored column no catalog row describes (a dropped or lost column): kept hidden so
      // that the positions of the others stay right.
      ColumnDescription placeholder;
      placeholder.column_id = position.column_id;
      placeholder.leaf_offset = position.leaf_offset;
      placeholder.null_bit = position.null_bit;
      placeholder.has_position = 0;
      placeholder.physical_column_id = ColumnDescription::kHidden;
      definition_text_lookup(values, id_text, position.column_id, placeholder.value_text);
      columns.push_back(placeholder);
    }
    for (ColumnDescription& column : columns) {
      auto stored = std::find_if(columns.begin(), columns.end(), [&](const ColumnDescription& k) {
        return k.column_id == column.physical_column_id;
      });
      if (stored != columns.end()) {
        column.leaf_offset = stored->leaf_offset;
        column.null_bit = stored->null_bit;
      } else {
        definition_text_lookup(values, id_text, column.physical_column_id, column.value_text);
      }
    }
    return;
  }

  for (ColumnDescription& column : columns) {
    if (column.has_position != 0) continue;
    const std::int32_t former = column.physical_column_id;
    column.physical_column_id = ColumnDescription::kHidden;
    definition_text_lookup(values, id_text, former, column.value_text);
  }
}

}  // namespace portalmend
