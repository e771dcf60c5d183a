#pragma once
// The rows of sysindexes (object id 2) of a SQL Server 2000 database that locate a table's
// pages: only clustered-index rows (index id 1) from data pages are kept. Rows shorter than
// 68 bytes are skipped.
//
//   offset  width  field
//   0       4      object id
//   8       4      first page number
//   14      2      index id
//   64      4      first IAM page number
// The key also carries the file id of the page the row was read from.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "catalog/row_pieces.h"

namespace portalmend {

struct LegacyIndexKey {
  std::int32_t object_id = 0;
  std::uint16_t file_id = 0;
  std::int16_t index_id = 0;

  friend bool operator<(const LegacyIndexKey& a, const LegacyIndexKey& b) {
    return std::tie(a.object_id, a.file_id, a.index_id) < std::tie(b.object_id, b.file_id, b.index_id);
  }
  friend bool operator==(const LegacyIndexKey&, const LegacyIndexKey&) = default;
};

struct LegacyIndexValue {
  std::uint32_t first_page = 0;
  std::uint32_t first_iam_page = 0;
};

using LegacyIndexMap = std::map<LegacyIndexKey, LegacyIndexValue>;

struct LegacyIndexRow {
  static constexpr std::size_t kObjectIdOffset = 0;
  static constexpr std::size_t kFirstPageOffset = 8;
  static constexpr std::size_t kIndexIdOffset = 14;
  static constexpr std::size_t kFirstIamPageOffset = 64;
  static constexpr std::size_t kMinimumFixedLength = 68;
  static constexpr std::int16_t kClusteredIndexId = 1;

  LegacyIndexKey key;
  LegacyIndexValue value;
};

// The row's key and value, or nothing for a short row or one whose index id is not 1.
std::optional<LegacyIndexRow> decode_legacy_index_row(const RowPieces& row, std::uint16_t page_file_id);

// A column of a SQL Server 2000 table, kept for the table's key scripts.
struct LegacyKeyColumn {
  std::string name;
  std::int32_t column_order = 0;
  std::uint8_t type_status = 0;
};

// A user table of a SQL Server 2000 database (object id above 100 with a clustered index).
struct LegacyTableEntry {
  std::int32_t object_id = 0;
  std::string name;
  std::vector<LegacyKeyColumn> key_columns;
};

}  // namespace portalmend
