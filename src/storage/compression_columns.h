#pragma once
// The columns a compressed record is rebuilt with, taken from the prepared table's column
// descriptions.

#include <vector>

#include "catalog/column_description.h"
#include "storage/compression_rebuild.h"

namespace portalmend {

// One CompressedColumn per stored column, in order: columns without storage (hidden computed
// columns) are left out, as compressed records do not hold them. A column is placed among the
// variable-length values when its type is stored that way on disk (nvarchar, varchar,
// varbinary, text, ntext, image, sql_variant, CLR types, xml); fixed types, uniqueidentifier
// included, go to the fixed data. A max type's length (-1) counts as unknown.
std::vector<CompressedColumn> CompressedColumnsOf(const ColumnDescriptionList& columns);

}  // namespace portalmend
