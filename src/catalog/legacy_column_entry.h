#pragma once
// One row of syscolumns (object id 3) in a SQL Server 2000 database. Rows shorter than 34
// bytes are skipped.
//
//   offset  width  field
//   0       4      object id
//   4       1      system type id
//   5       1      type status
//   6       2      user type id
//   8       2      length
//   10      1      precision
//   11      1      scale
//   12      2      column id
//   14      2      fixed offset
//   16      1      bit position
//   17      1      reserved
//   18      2      column status
//   20      2      default id (low half)
//   24      4      domain
//   28      2      number
//   30      2      column order
//   32      2      offset
//   34      4      collation id   (rows of at least 21 columns and 38 fixed bytes; else -1)
//   42      1      status         (rows of at least 21 columns and 43 fixed bytes; else 255)
// The name is the first variable-length column (UTF-16).

#include <cstdint>
#include <optional>
#include <string>

#include "catalog/row_pieces.h"

namespace portalmend {

struct LegacyColumnEntry {
  static constexpr std::size_t kObjectIdOffset = 0;
  static constexpr std::size_t kSystemTypeIdOffset = 4;
  static constexpr std::size_t kTypeStatusOffset = 5;
  static constexpr std::size_t kUserTypeIdOffset = 6;
  static constexpr std::size_t kLengthOffset = 8;
  static constexpr std::size_t kPrecisionOffset = 10;
  static constexpr std::size_t kScaleOffset = 11;
  static constexpr std::size_t kColumnIdOffset = 12;
  static constexpr std::size_t kFixedOffsetOffset = 14;
  static constexpr std::size_t kBitPositionOffset = 16;
  static constexpr std::size_t kReservedOffset = 17;
  static constexpr std::size_t kColumnStatusOffset = 18;
  static constexpr std::size_t kDefaultIdOffset = 20;
  static constexpr std::size_t kDomainOffset = 24;
  static constexpr std::size_t kNumberOffset = 28;
  static constexpr std::size_t kColumnOrderOffset = 30;
  static constexpr std::size_t kOffsetOffset = 32;
  static constexpr std::size_t kCollationIdOffset = 34;
  static constexpr std::size_t kStatusOffset = 42;
  static constexpr std::size_t kMinimumFixedLength = 34;
  static constexpr int kLateFieldsMinimumColumns = 21;
  static constexpr std::size_t kCollationMinimumFixedLength = 38;
  static constexpr std::size_t kStatusMinimumFixedLength = 43;

  std::string name;
  std::int32_t object_id = 0;
  std::uint8_t system_type_id = 0;
  std::uint8_t type_status = 0;
  std::int16_t user_type_id = 0;
  std::int16_t length = 0;
  std::uint8_t precision = 0;
  std::uint8_t scale = 0;
  std::int16_t column_id = 0;
  std::int16_t fixed_offset = 0;
  std::uint8_t bit_position = 0;
  std::uint8_t reserved = 0;
  std::int16_t column_status = 0;
  std::int16_t default_id = 0;
  std::int32_t domain = 0;
  std::int16_t number = 0;
  std::int16_t column_order = 0;
  std::int16_t offset = 0;
  std::int32_t collation_id = -1;
  std::uint8_t status = 255;
};

std::optional<LegacyColumnEntry> decode_legacy_column_entry(const RowPieces& row, std::uint64_t& repair_counter);

}  // namespace portalmend
