// Keys and constraints of the prepared table: the steps the preparation and the build call.
// Their derivation (primary and unique keys, foreign keys, check and default constraints)
// is added with the keys of tables; until then they leave the catalog as it is.

#include "catalog/catalog.h"

namespace portalmend {

void Catalog::CollectCurrentConstraints() {}

void Catalog::CollectCurrentIndexes() {
  current_.indexes.clear();
  current_.index_columns.clear();
}

void Catalog::ApplyKeyFlags() {}

void Catalog::DeriveForeignKeyColumns() {}

}  // namespace portalmend
