#include "catalog/column_description.h"

#include <charconv>
#include <utility>

#include "catalog/type_mapping.h"

namespace portalmend {

namespace {

bool has_declared_length(std::uint32_t code) {
  switch (code) {
    case typecode::kBinary:
    case typecode::kChar:
    case typecode::kNchar:
    case typecode::kNvarchar:
    case typecode::kUnusedNvarchar:
    case typecode::kNtext:
    case typecode::kNumeric:
    case typecode::kDecimal:
    case typecode::kText:
    case typecode::kClrType:
    case typecode::kXml:
      return true;
    default:
      return false;
  }
}

bool is_variable_code(std::uint32_t code) {
  switch (code) {
    case typecode::kNvarchar:
    case typecode::kUniqueIdentifier:
    case typecode::kVarbinary:
    case typecode::kVarchar:
    case typecode::kUnusedNvarchar:
    case typecode::kNtext:
    case typecode::kSqlVariant:
    case typecode::kImage:
    case typecode::kText:
    case typecode::kClrUserType128:
    case typecode::kClrUserType129:
    case typecode::kClrType:
    case typecode::kXml:
      return true;
    default:
      return code > typecode::kXml;
  }
}

}  // namespace

std::int16_t type_text_length(const std::string& type_text) {
  const std::size_t open = type_text.find('(');
  if (open == std::string::npos) return 0;
  const std::size_t close = type_text.find(')', open + 1);
  if (close == std::string::npos) return 0;
  const char* first = type_text.data() + open + 1;
  const char* last = type_text.data() + close;
  int value = 0;
  const auto [end, error] = std::from_chars(first, last, value);
  if (error != std::errc() || end != last) return 0;
  return static_cast<std::int16_t>(value);
}

ColumnDescription make_column_description(const std::string& name, const std::string& type_text,
                                          std::uint32_t type_code) {
  ColumnDescription column;
  column.name = name;
  column.type_text = type_text;
  column.declared_length = has_declared_length(type_code) ? type_text_length(type_text) : 0;
  column.variable = is_variable_code(type_code) ? 1 : 0;
  if (type_code == typecode::kUnusedNvarchar) {
    type_code = typecode::kNvarchar;
  } else if (type_code == typecode::kClrUserType128 || type_code == typecode::kClrUserType129 ||
             type_code > typecode::kXml) {
    type_code = typecode::kVarchar;
  }
  column.type_code = type_code;
  return column;
}

void sort_by_column_id(ColumnDescriptionList& columns) {
  for (std::size_t position = 0; position < columns.size(); ++position) {
    std::size_t smallest = position;
    for (std::size_t i = position + 1; i < columns.size(); ++i) {
      if (columns[i].column_id < columns[smallest].column_id) smallest = i;
    }
    if (smallest != position) std::swap(columns[position], columns[smallest]);
  }
}

}  // namespace portalmend
