#include "tabledata/table_source.h"

#include "catalog/catalog.h"

namespace portalmend {
namespace {

PageAddress address_of(const CatalogPagePointer& pointer) {
  return PageAddress{pointer.file_id, static_cast<std::int32_t>(pointer.page_number)};
}

}  // namespace

TableSource table_source_of(const Catalog& catalog, const std::string& name) {
  const CurrentObjectSlots& current = catalog.current();
  TableSource source;
  source.name = name;
  source.object_id = current.object.id;
  source.first_page = address_of(current.alloc_unit.first_page);
  source.first_iam_page = address_of(current.alloc_unit.first_iam_page);
  source.index_id = current.rowset.index_id;
  // Older databases keep the physical placement in hobt columns instead of sysrscols; either
  // gives every column its leaf offset.
  source.has_rowset_columns = !current.rowset_columns.empty() || !current.hobt_columns.empty();
  source.object_pages = current.page_list;
  source.columns = catalog.column_descriptions();
  if (!catalog.legacy()) {
    std::set<std::int64_t> own;
    for (const AllocUnitEntry& unit : current.alloc_units) {
      own.insert(unit.id);
      source.page_object_ids.insert(unit.page_object_id());
    }
    for (const AllocUnitEntry& unit : catalog.lists().alloc_units) {
      if (!own.contains(unit.id)) source.other_allocation_units.insert(unit.id);
    }
  } else {
    // SQL Server 2000 pages carry the table's own object id.
    source.page_object_ids.insert(source.object_id);
    for (const auto& [key, value] : catalog.lists().legacy_indexes) {
      if (key.object_id == source.object_id && key.index_id == 1) {
        source.legacy_index_first_page = PageAddress{key.file_id, static_cast<std::int32_t>(value.first_page)};
        break;
      }
    }
  }
  return source;
}

}  // namespace portalmend
