#pragma once
// The pieces of one system-table record that the catalog decoders read.
//
// A record on a data page (record header, fixed-length part, column count, null bitmap,
// variable-length columns) is cut by the storage engine; the catalog only needs the
// fixed-length part (the bytes after the 4-byte record header), the column count and the
// variable-length values. Keeping the decoders on these pieces lets every row layout be
// decoded, and tested, without a page around it.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "storage/byte_reader.h"

namespace portalmend {

struct RowPieces {
  // The fixed-length part of the record: the bytes that follow the 4-byte record header.
  ByteReader fixed;
  // The record's column count (all columns, fixed and variable).
  int column_count = 0;
  // One entry per variable-length column, in order; nothing for a column whose value
  // could not be taken (or is empty on disk).
  std::vector<std::optional<ByteReader>> variable;

  // The bytes of variable column `index`, or nothing when the record has no such column
  // or its value is absent.
  std::optional<ByteReader> variable_at(std::size_t index) const {
    if (index >= variable.size()) return std::nullopt;
    return variable[index];
  }
};

// UTF-16LE bytes as UTF-8 text, up to the first zero code unit (or the end of the bytes;
// an odd last byte is dropped). A lone surrogate becomes U+FFFD.
std::string utf16_name_text(ByteReader bytes);

// The text of variable column `index` read as UTF-16, empty when the column is absent.
std::string variable_text(const RowPieces& row, std::size_t index);

}  // namespace portalmend
