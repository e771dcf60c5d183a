#pragma once
// Composes the bytes of records in the uncompressed row format, for pages built by tests, the
// demo and the benchmarks: status bits, fixed data, column count, null bitmap, variable
// columns with complex flags, sparse vectors and forwarding stubs.

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "storage/page_address.h"
#include "storage/record.h"

namespace portalmend::writer {

// One variable-length column value.
struct VariableColumn {
  std::vector<std::uint8_t> bytes;
  // Sets bit 15 of the column's end offset.
  bool complex = false;
};

// A record to compose. Defaults give a primary data record with a null bitmap.
struct RecordSpec {
  std::uint8_t record_type = kPrimaryRecord;
  bool null_bitmap = true;
  // Status A bit 5; by default set when there are variable columns.
  std::optional<bool> variable_flag;
  bool versioning = false;
  std::uint8_t status_b = 0;
  std::vector<std::uint8_t> fixed;
  // The stored fixed-length end; by default 4 + fixed.size().
  std::optional<std::uint16_t> fixed_end;
  // The stored column count; by default the number of null flags, or of variable columns, or 1.
  std::optional<std::uint16_t> column_count;
  // Null flag per column, written into the bitmap (missing columns are not null).
  std::vector<bool> nulls;
  std::vector<VariableColumn> variable;
  // The stored variable column count; by default variable.size().
  std::optional<std::uint16_t> variable_count;
};

// Status byte A for a record of `type` with the given bits.
std::uint8_t status_a(std::uint8_t type, bool null_bitmap, bool variable_columns, bool versioning = false,
                      bool compressed = false);

// The bytes of the record described by `desc`.
std::vector<std::uint8_t> encode_record(const RecordSpec& desc);

// The 9 bytes of a forwarding stub pointing at `slot` of the page at `target`.
std::vector<std::uint8_t> forwarding_stub(PageAddress target, std::int16_t slot);

// A sparse column vector (complex id 5) holding the given (column id, value) pairs.
std::vector<std::uint8_t> sparse_vector(const std::vector<std::pair<std::uint16_t, std::vector<std::uint8_t>>>& columns);

// Little-endian helpers for composing other structures.
void append_u16(std::vector<std::uint8_t>& out, std::uint16_t value);
void append_u32(std::vector<std::uint8_t>& out, std::uint32_t value);

}  // namespace portalmend::writer
