#pragma once
// One column of the prepared object: how the row readers cut a record into this column's
// value, and how the column is titled and described to the user.

#include <cstdint>
#include <string>
#include <vector>

namespace portalmend {

struct ColumnDescription {
  // Physical column id of a column without storage (a computed column): hidden from rows.
  static constexpr std::int32_t kHidden = -99;

  // The number in the type text's parentheses, for the types that have one; otherwise 0.
  std::int16_t declared_length = 0;
  // The column's id within its table; the description list is sorted by it.
  std::int32_t column_id = 0;
  std::string name;
  // Internal type code (bigint 0 ... xml 34).
  std::uint32_t type_code = 0;
  // Type name and maximum length, for example "int(4)" or "varbinary(-1)".
  std::string type_text;
  std::uint8_t nullable = 0;
  // 1 when values are handled as variable-length data.
  std::uint8_t variable = 0;
  std::uint8_t sparse = 0;
  // A computed column's definition text; in a row record, the column's value as text.
  std::string value_text;
  std::uint8_t precision = 0;
  std::uint8_t scale = 0;
  // Position in the rowset; kHidden for a column without storage.
  std::int32_t physical_column_id = 0;
  // 1 when a leaf offset and null bit were found.
  std::uint8_t has_position = 0;
  // Fixed column: byte offset in the record. Variable column: the complement of its index
  // among the variable columns. 0 when no position was found.
  std::int16_t leaf_offset = 0;
  // SQL Server 2000 tables: the fixed offset from syscolumns.
  std::int16_t legacy_offset = 0;
  // 1-based position in the null bitmap; -1 when no position was found.
  std::int32_t null_bit = -1;
  std::uint8_t primary_key = 0;
  std::uint8_t unique = 0;
  std::uint8_t unique_constraint = 0;
  std::uint8_t foreign_key = 0;
  std::string referenced_table;
  std::string referenced_column;
  // "identity(seed,increment)" for an identity column, else empty.
  std::string identity_text;
  std::uint8_t unique_key_ordinal = 0;
  // -1 when the column has no collation.
  std::int32_t collation_id = -1;

  bool hidden() const { return physical_column_id == kHidden; }
};

using ColumnDescriptionList = std::vector<ColumnDescription>;

// A description with the declared length, variable flag and type code the builder derives
// from the type text and code:
//  - declared length: the decimal number between the first "(" and the next ")" for the
//    codes binary, char, nchar, nvarchar, 18, ntext, numeric, decimal, text, CLR type and
//    xml; 0 for every other code;
//  - variable: 1 for the codes 11, 15, 16, 17, 18, 19, 20, 25, 26, 31 to 34 and above 34;
//  - code 18 becomes nvarchar (11); 31, 32 and codes above 34 become varchar (17).
// Every other field keeps its default (null bit -1, collation id -1, ids 0).
ColumnDescription make_column_description(const std::string& name, const std::string& type_text,
                                          std::uint32_t type_code);

// The signed decimal number between the first "(" and the following ")" of a type text,
// 0 when there is none.
std::int16_t type_text_length(const std::string& type_text);

// Sorts by column id, ascending, keeping the first of equal ids first among them
// (a selection sort: each position takes the smallest id at or after it).
void sort_by_column_id(ColumnDescriptionList& columns);

}  // namespace portalmend
