#include "storage/compression_columns.h"

namespace portalmend {
namespace {

bool StoredAsVariable(std::uint32_t code) {
  switch (code) {
    case 11: case 16: case 17: case 19: case 20: case 25: case 26: case 31: case 32: case 33: case 34:
      return true;
    default:
      return false;
  }
}

}  // namespace

std::vector<CompressedColumn> CompressedColumnsOf(const ColumnDescriptionList& columns) {
  std::vector<CompressedColumn> out;
  for (const ColumnDescription& column : columns) {
    if (column.hidden()) continue;
    CompressedColumn c;
    c.type_code = column.type_code;
    c.declared_length = column.declared_length > 0 ? column.declared_length : 0;
    c.variable = StoredAsVariable(column.type_code);
    out.push_back(c);
  }
  return out;
}

}  // namespace portalmend
