#pragma once
// One row of sysscalartypes (object id 50, read in both layouts): a system or user-defined
// scalar type. Rows shorter than 38 bytes are skipped.
//
//   offset  width  field
//   0       4      type id
//   4       4      schema id (1 = sys)
//   8       1      system type id
//   9       2      maximum length
//   11      1      precision
//   12      1      scale
//   13      4      collation id
//   17      4      status
//   30      4      kept, not used
//   34      4      kept, not used
// The name is the first variable-length column (UTF-16).

#include <cstdint>
#include <optional>
#include <string>

#include "catalog/row_pieces.h"

namespace portalmend {

struct ScalarTypeEntry {
  static constexpr std::size_t kTypeIdOffset = 0;
  static constexpr std::size_t kSchemaIdOffset = 4;
  static constexpr std::size_t kSystemTypeIdOffset = 8;
  static constexpr std::size_t kMaxLengthOffset = 9;
  static constexpr std::size_t kPrecisionOffset = 11;
  static constexpr std::size_t kScaleOffset = 12;
  static constexpr std::size_t kCollationIdOffset = 13;
  static constexpr std::size_t kStatusOffset = 17;
  static constexpr std::size_t kExtra1Offset = 30;
  static constexpr std::size_t kExtra2Offset = 34;
  static constexpr std::size_t kMinimumFixedLength = 38;
  static constexpr std::int32_t kSysSchemaId = 1;

  std::int32_t type_id = 0;
  std::int32_t schema_id = 0;
  std::string name;
  std::uint8_t system_type_id = 0;
  std::int16_t max_length = 0;
  std::uint8_t precision = 0;
  std::uint8_t scale = 0;
  std::int32_t collation_id = 0;
  std::int32_t status = 0;
  std::int32_t extra1 = 0;
  std::int32_t extra2 = 0;
};

std::optional<ScalarTypeEntry> decode_scalar_type_entry(const RowPieces& row);

}  // namespace portalmend
