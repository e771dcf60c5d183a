#pragma once
// Column value bytes to display text, by internal type code.
//
//   | code                 | text                                                          |
//   |----------------------|---------------------------------------------------------------|
//   | 0 bigint             | signed 64-bit                                                 |
//   | 1, 30, 31, 33        | "0x" and two uppercase hex digits per byte                     |
//   | 16, 32               | hex digits without prefix (the row reader adds it)            |
//   | 2 bit                | "True" / "False" from the record's shared bit byte            |
//   | 3, 17, 26            | 8-bit text in the column's code page, up to the first zero    |
//   | 4, 5, 6, 7, 8, 27    | date and time text                                            |
//   | 9, 13, 14            | int, smallint, tinyint                                        |
//   | 10, 11, 19           | UTF-16 text up to the first zero unit                         |
//   | 15                   | uniqueidentifier 8-4-4-4-12                                   |
//   | 20                   | sql_variant (its base type decides)                           |
//   | 21, 29               | money, smallmoney with four decimals                          |
//   | 22, 28               | float, real                                                   |
//   | 23, 24               | numeric, decimal of the column's precision and scale          |
//   | 34                   | xml text of binary xml; " " when it converts to nothing       |
//   | 12, 18, 25, above 34 | empty                                                          |
//
// Decoding never fails: bytes that do not fit their type give the empty text (" " for a
// date or time out of range, "0" for a float that is not a finite number).

#include <string>

#include "storage/byte_reader.h"
#include "values/value_context.h"
#include "values/value_shape.h"

namespace portalmend {

// The text of the value of `column` whose bytes start at the beginning of `bytes` (the view
// may run on past the value; nothing beyond it or beyond the shape's maximum length is read).
//
// The shape comes from shape_by_type(). For a variable value the caller sets the shape's
// value length to the value's length first. On return the shape's storage length holds the
// bytes the value really took in the record; for date, time, decimal, numeric and money
// values the value length is set to it as well.
std::string value_to_text(ValueShape& shape, const ValueColumn& column, const ByteReader& bytes,
                          const ValueContext& context = ValueContext::from_settings());

// Builds the ValueColumn of any column description that carries the same fields.
template <typename Description>
ValueColumn value_column_of(const Description& d) {
  ValueColumn column;
  column.declared_length = d.declared_length;
  column.type_code = d.type_code;
  column.type_text = d.type_text;
  column.variable = d.variable;
  column.precision = d.precision;
  column.scale = d.scale;
  column.collation_id = d.collation_id;
  return column;
}

}  // namespace portalmend
