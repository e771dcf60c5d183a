#pragma once
// The texts of column values as the row readers need them: value bytes by type, sql_variant
// values, values stored off the row (text pointers, in-row roots) and binary xml.
//
// One instance serves the cut of one record; it reads large objects from the data file the
// record came from.

#include <cstdint>
#include <string>

#include "catalog/column_description.h"
#include "storage/byte_reader.h"
#include "values/value_shape.h"

namespace portalmend {

class DatabaseFile;

// How a large object is rendered, set from the column's type code.
struct LargeValueFlags {
  bool binary = false;   // varbinary, image, CLR types: hex digits
  bool variant = false;  // sql_variant
  bool unicode = false;  // nvarchar, ntext
};

class ColumnValueText {
 public:
  explicit ColumnValueText(const DatabaseFile* file) : file_(file) {}

  // The shape of a value of the column's type (bit columns share the record's bit state).
  ValueShape shape(const ColumnDescription& column, BitColumnState* bits) const;
  // The text of the value at the start of `bytes`, as shaped.
  std::string value_text(ValueShape& shape, const ColumnDescription& column, ByteReader bytes) const;
  // How far a fixed value just decoded moves the running fixed offset.
  std::int64_t bytes_used(const ValueShape& shape) const;
  // The text of a sql_variant value.
  std::string variant_text(ByteReader bytes) const;

  // Values stored off the row.
  std::string text_pointer_text(ByteReader pointer, const LargeValueFlags& flags) const;
  std::string root_text(ByteReader root, const LargeValueFlags& flags) const;
  std::string xml_from_text_pointer(ByteReader pointer) const;
  std::string xml_from_root(ByteReader root) const;

 private:
  const DatabaseFile* file_;
};

}  // namespace portalmend
