#pragma once
// The shape of a column value: how many bytes it takes in a record, decided by the column's
// internal type code before its bytes are turned into text.
//
// Sizes by type code (D = the column's declared length, V = the column's variable flag):
//
//   | codes                                   | variable | fixed size             | value length |
//   |-----------------------------------------|----------|------------------------|--------------|
//   | 0, 4, 7, 22, and unlisted codes <= 34   | 0        | 8                      | 8            |
//   | 1, 3, 24                                | 0        | D                      | D            |
//   | 2 (bit)                                 | 0        | 1 when a new byte      | 1            |
//   |                                         |          | starts, else 0         |              |
//   | 5                                       | 0        | 3                      | 3            |
//   | 6                                       | 0        | 5                      | 5            |
//   | 8                                       | 0        | 10                     | 10           |
//   | 9                                       | 0        | 4                      | 4            |
//   | 10, 11, 19, 26, 31, 33                  | V        | D                      | D            |
//   | 12                                      | V        | 8                      | 8            |
//   | 13                                      | 0        | 2                      | 2            |
//   | 14                                      | 0        | 1                      | 1            |
//   | 15                                      | 0        | 16                     | 16           |
//   | 16                                      | 1        | 0                      | D            |
//   | 17                                      | V        | 0                      | D            |
//   | 18, above 34                            | 0        | 0                      | 0            |
//   | 20, 32                                  | V        | D                      | D            |
//   | 21, 30                                  | 0        | 8                      | 8            |
//   | 23                                      | 0        | 19                     | 19           |
//   | 25, 34                                  | 1        | 0                      | D            |
//   | 27, 28, 29                              | 0        | 4                      | 4            |
//
// Up to eight consecutive bit columns share one byte of a record's fixed data; the
// record's BitColumnState lets them do so.

#include <cstdint>
#include <string>
#include <string_view>

#include "values/type_code.h"

namespace portalmend {

// The fields of a column description that value decoding reads. The type text is a view
// of the description's own text, which must outlive it.
struct ValueColumn {
  std::int16_t declared_length = 0;   // the number in the type text's parentheses, or 0
  TypeCode type_code = kTypeBigint;   // internal type code
  std::string_view type_text;         // type name and maximum length, e.g. "datetime2(8)"
  std::uint8_t variable = 0;          // 1 when values are variable-length data
  std::uint8_t precision = 0;         // decimal/numeric precision
  std::uint8_t scale = 0;             // decimal/numeric and time scale
  std::int32_t collation_id = -1;     // -1 when the column has no collation
};

// Which bit of the shared byte the next bit column of a record reads. One per record.
struct BitColumnState {
  int bit_index = 8;           // 8: the next bit column starts a new byte
  std::uint8_t current_byte = 0;
  bool byte_consumed = false;  // a bit column has claimed a byte of fixed data
  bool byte_in_use = false;    // current_byte holds a byte read from the record
};

// The shape of one column value.
struct ValueShape {
  BitColumnState* bits = nullptr;   // the record's bit state (bit columns only)
  std::int64_t max_length = 0;      // bytes the caller may hand over
  std::uint8_t variable = 0;        // variable-length value
  std::int16_t fixed_size = 0;      // bytes taken in the fixed-length data
  std::int32_t storage_length = 0;  // bytes really used; set while the value is formatted
  std::int16_t value_length = 0;    // bytes of the value
  TypeCode type_code = kTypeBigint;
};

// The shape of a value of `column`'s type. For a bit column the record's `bits` state is
// consulted (and its byte marked as consumed when a new byte starts).
ValueShape shape_by_type(const ValueColumn& column, BitColumnState* bits = nullptr);

// The decimal number between the first "(" of `type_text` and the ")" after it, or 0 when
// there is none ("datetime2(8)" gives 8, "nvarchar(-1)" gives -1).
std::int32_t length_from_type_text(std::string_view type_text);

}  // namespace portalmend
