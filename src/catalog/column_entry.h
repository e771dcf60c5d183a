#pragma once
// One row of syscolpars (object id 41, modern layout): a column of a table or view, or a
// parameter of a procedure. Rows shorter than 41 bytes are skipped.
//
//   offset  width  field
//   0       4      object id
//   4       2      number (0 for table columns; parameters of numbered procedures)
//   6       4      column id
//   10      1      system type id
//   11      4      user type id
//   15      2      maximum length (-1 for the max types)
//   17      1      precision
//   18      1      scale
//   19      4      collation id
//   23      4      status
//   27      2      maximum in-row length
//   29      4      XML schema collection id
//   33      4      default object id
//   37      4      rule object id
// Variable columns: 1 name (UTF-16); 2 the identity seed and increment of an identity
// column (low 16 bits of the status equal to 5).

#include <cstdint>
#include <optional>
#include <string>

#include "catalog/row_pieces.h"

namespace portalmend {

struct ColumnEntry {
  static constexpr std::size_t kObjectIdOffset = 0;
  static constexpr std::size_t kNumberOffset = 4;
  static constexpr std::size_t kColumnIdOffset = 6;
  static constexpr std::size_t kSystemTypeIdOffset = 10;
  static constexpr std::size_t kUserTypeIdOffset = 11;
  static constexpr std::size_t kMaxLengthOffset = 15;
  static constexpr std::size_t kPrecisionOffset = 17;
  static constexpr std::size_t kScaleOffset = 18;
  static constexpr std::size_t kCollationIdOffset = 19;
  static constexpr std::size_t kStatusOffset = 23;
  static constexpr std::size_t kMaxInRowLengthOffset = 27;
  static constexpr std::size_t kXmlCollectionIdOffset = 29;
  static constexpr std::size_t kDefaultObjectIdOffset = 33;
  static constexpr std::size_t kRuleObjectIdOffset = 37;
  static constexpr std::size_t kMinimumFixedLength = 41;
  // An identity column's status: NOT NULL (bit 0) and identity (bit 2). The upper 16 bits
  // carry further flags (bit 16: NOT FOR REPLICATION) that do not change what it is.
  static constexpr std::int32_t kIdentityStatus = 5;
  static constexpr std::uint32_t kIdentityStatusMask = 0xFFFF;

  std::int32_t object_id = 0;
  std::int16_t number = 0;
  std::int32_t column_id = 0;
  std::string name;
  std::uint8_t system_type_id = 0;
  std::int32_t user_type_id = 0;
  std::int16_t max_length = 0;
  std::uint8_t precision = 0;
  std::uint8_t scale = 0;
  std::int32_t collation_id = 0;
  std::int32_t status = 0;
  std::int16_t max_in_row_length = 0;
  std::int32_t xml_collection_id = 0;
  std::int32_t default_object_id = 0;
  std::int32_t rule_object_id = 0;
  // "identity(seed,increment)" for an identity column, else empty.
  std::string identity_text;
};

std::optional<ColumnEntry> decode_column_entry(const RowPieces& row, std::uint64_t& repair_counter);

// The identity text stored in the second variable column of an identity column:
//   length >= 24: three 64-bit values q0, q1, q2; when q0 is non-zero and fits in 32 bits
//                 the seed is q2 and the increment q1, else seed = int32 at 8, increment =
//                 int32 at 4
//   12 .. 23:     seed = int32 at 8, increment = int32 at 4
//   6 .. 11:      seed = uint16 at 4, increment = uint16 at 2
//   below 6:      seed 1, increment 1
// A seed of 0 is shown as 1.
std::string identity_text_of(ByteReader value);

}  // namespace portalmend
