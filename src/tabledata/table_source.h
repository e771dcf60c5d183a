#pragma once
// What the table readers take from the catalog about the table being read: its storage
// (allocation unit, rowset, pages found by the mapping scan), its columns and the catalog
// layout. Filled from the catalog's current-object slots after a table has been prepared,
// or built directly by a caller that knows the table's pages.

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "catalog/column_description.h"
#include "storage/page_address.h"

namespace portalmend {

class Catalog;

struct TableSource {
  // Name of the table (carried along for messages).
  std::string name;
  // The current object's id (the IAM page map is keyed by it in the 2000 layout).
  std::int32_t object_id = -1;
  // The current allocation unit's first page and first IAM page.
  PageAddress first_page;
  PageAddress first_iam_page;
  // The current rowset's index id: 0 for a heap, 1 or more for a clustered table.
  std::int32_t index_id = 0;
  // The current table has its physical placement (sysrscols rows, or hobt column rows in older
  // databases): the leaf-offset reader applies.
  bool has_rowset_columns = false;
  // 2000 layout: the first page of the table's sysindexes entry with index id 1, when there is one.
  std::optional<PageAddress> legacy_index_first_page;
  // The table's data pages as the mapping scan found them.
  std::vector<PageAddress> object_pages;
  // Modern layout: the ids of the allocation units of every other object. A page whose header
  // names one of them (index id << 48 | object id << 16) belongs to that object, even when its
  // header object id equals one of this table's page object ids.
  std::set<std::int64_t> other_allocation_units;
  // Modern layout: the page object ids of the table's own allocation units (the object id a
  // page of the table carries in its header).
  std::set<std::int32_t> page_object_ids;
  // The table's column descriptions in catalog column order.
  ColumnDescriptionList columns;
};

// The table the catalog has prepared last (its current-object slots), named `name`.
TableSource table_source_of(const Catalog& catalog, const std::string& name);

}  // namespace portalmend
