#pragma once
// What value decoding needs to know beyond the bytes: which collations exist, which one the
// open database uses, and whether a table's data or the catalog is being read.
//
// 8-bit text (char, varchar, text) is converted from a code page chosen by the column's
// collation id while a table's data is read: the database's chosen collation when its id
// matches, else the collation table's entry for the id, else Windows-1252. While the catalog
// is read, and for a column without a collation (-1 or 0), Windows-1252 is used.

#include <cstdint>

#include "values/collation_table.h"

namespace portalmend {

struct ValueContext {
  const CollationTable* collations = nullptr;  // the collation table, or none
  const ChosenCollation* chosen = nullptr;     // the database's collation, or none
  bool table_data = true;                      // false while the catalog's own rows are read

  // The collation table and chosen collation held by the application settings.
  static ValueContext from_settings(bool table_data = true);
  // Reading the catalog: 8-bit text always in Windows-1252.
  static ValueContext for_catalog() { return from_settings(false); }

  // The code page of 8-bit text of a column (or sql_variant value) with `collation_id`.
  std::int32_t code_page_for(std::int64_t collation_id) const;
};

}  // namespace portalmend
