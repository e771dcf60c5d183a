#include "support/catalog_writer.h"

#include <algorithm>

#include "support/boot_page_writer.h"
#include "support/page_writer.h"
#include "support/record_writer.h"

namespace portalmend::writer {

RowPieces SystemRow::pieces() const {
  RowPieces row;
  row.fixed = ByteReader(fixed);
  row.column_count = column_count;
  for (const auto& value : variable) {
    if (value) {
      row.variable.emplace_back(ByteReader(*value));
    } else {
      row.variable.emplace_back(std::nullopt);
    }
  }
  return row;
}

void set_u8(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint8_t value) {
  if (bytes.size() < offset + 1) bytes.resize(offset + 1);
  bytes[offset] = value;
}

void set_u16(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint16_t value) {
  for (std::size_t i = 0; i < 2; ++i) set_u8(bytes, offset + i, static_cast<std::uint8_t>(value >> (8 * i)));
}

void set_u32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) set_u8(bytes, offset + i, static_cast<std::uint8_t>(value >> (8 * i)));
}

void set_u64(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint64_t value) {
  for (std::size_t i = 0; i < 8; ++i) set_u8(bytes, offset + i, static_cast<std::uint8_t>(value >> (8 * i)));
}

std::vector<std::uint8_t> utf16(const std::string& text) {
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    std::uint32_t code = c;
    std::size_t length = 1;
    if (c >= 0xE0 && i + 2 < text.size()) {
      code = ((c & 0x0Fu) << 12) | ((text[i + 1] & 0x3Fu) << 6) | (text[i + 2] & 0x3Fu);
      length = 3;
    } else if (c >= 0xC0 && i + 1 < text.size()) {
      code = ((c & 0x1Fu) << 6) | (text[i + 1] & 0x3Fu);
      length = 2;
    }
    bytes.push_back(static_cast<std::uint8_t>(code & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(code >> 8));
    i += length;
  }
  return bytes;
}

namespace {

std::optional<std::vector<std::uint8_t>> name_value(const std::optional<std::string>& name) {
  if (!name) return std::nullopt;
  return utf16(*name);
}

void put_padded_name(std::vector<std::uint8_t>& bytes, std::size_t offset, std::size_t units,
                     const std::string& name) {
  std::vector<std::uint8_t> text = utf16(name);
  text.resize(2 * units, 0);
  for (std::size_t i = name.size(); i < units; ++i) text[2 * i] = ' ';
  for (std::size_t i = 0; i < text.size(); ++i) set_u8(bytes, offset + i, text[i]);
}

}  // namespace

SystemRow file_row(std::int32_t file_id, const std::string& logical_name, const std::string& physical_name,
                   std::int32_t status) {
  SystemRow row;
  row.fixed.assign(782, 0);
  set_u32(row.fixed, 0, static_cast<std::uint32_t>(status));
  set_u16(row.fixed, 4, static_cast<std::uint16_t>(file_id));
  put_padded_name(row.fixed, 6, 128, logical_name);
  put_padded_name(row.fixed, 262, 260, physical_name);
  row.column_count = 4;
  return row;
}

SystemRow object_row(const ObjectRowSpec& desc) {
  SystemRow row;
  row.fixed.assign(41, 0);
  set_u32(row.fixed, 0, static_cast<std::uint32_t>(desc.id));
  set_u32(row.fixed, 4, static_cast<std::uint32_t>(desc.namespace_id));
  set_u8(row.fixed, 8, 0);
  set_u32(row.fixed, 9, static_cast<std::uint32_t>(desc.status));
  set_u8(row.fixed, 13, desc.type.size() > 0 ? static_cast<std::uint8_t>(desc.type[0]) : 0);
  set_u8(row.fixed, 14, desc.type.size() > 1 ? static_cast<std::uint8_t>(desc.type[1]) : 0);
  set_u32(row.fixed, 15, static_cast<std::uint32_t>(desc.parent_id));
  set_u8(row.fixed, 19, 0);
  set_u32(row.fixed, 20, 0);
  row.column_count = 13;
  if (desc.name) row.variable.push_back(name_value(desc.name));
  return row;
}

SystemRow legacy_object_row(const ObjectRowSpec& desc) {
  SystemRow row;
  row.fixed.assign(50, 0);
  set_u32(row.fixed, 0, static_cast<std::uint32_t>(desc.id));
  set_u8(row.fixed, 4, desc.type.size() > 0 ? static_cast<std::uint8_t>(desc.type[0]) : 0);
  set_u8(row.fixed, 5, desc.type.size() > 1 ? static_cast<std::uint8_t>(desc.type[1]) : 0);
  set_u32(row.fixed, 24, static_cast<std::uint32_t>(desc.parent_id));
  row.column_count = 24;
  if (desc.name) row.variable.push_back(name_value(desc.name));
  return row;
}

SystemRow column_row(const ColumnRowSpec& desc) {
  SystemRow row;
  row.fixed.assign(41, 0);
  set_u32(row.fixed, 0, static_cast<std::uint32_t>(desc.object_id));
  set_u16(row.fixed, 4, static_cast<std::uint16_t>(desc.number));
  set_u32(row.fixed, 6, static_cast<std::uint32_t>(desc.column_id));
  set_u8(row.fixed, 10, desc.system_type_id);
  set_u32(row.fixed, 11, static_cast<std::uint32_t>(desc.user_type_id));
  set_u16(row.fixed, 15, static_cast<std::uint16_t>(desc.max_length));
  set_u8(row.fixed, 17, desc.precision);
  set_u8(row.fixed, 18, desc.scale);
  set_u32(row.fixed, 19, static_cast<std::uint32_t>(desc.collation_id));
  set_u32(row.fixed, 23, static_cast<std::uint32_t>(desc.status));
  set_u16(row.fixed, 27, static_cast<std::uint16_t>(desc.max_length));
  row.column_count = 17;
  if (desc.name || desc.identity_value) row.variable.push_back(name_value(desc.name));
  if (desc.identity_value) row.variable.push_back(desc.identity_value);
  return row;
}

SystemRow legacy_column_row(const LegacyColumnRowSpec& desc) {
  SystemRow row;
  row.fixed.assign(43, 0);
  set_u32(row.fixed, 0, static_cast<std::uint32_t>(desc.object_id));
  set_u8(row.fixed, 4, desc.system_type_id);
  set_u8(row.fixed, 5, desc.type_status);
  set_u16(row.fixed, 6, static_cast<std::uint16_t>(desc.user_type_id));
  set_u16(row.fixed, 8, static_cast<std::uint16_t>(desc.length));
  set_u16(row.fixed, 12, static_cast<std::uint16_t>(desc.column_id));
  set_u16(row.fixed, 14, static_cast<std::uint16_t>(desc.fixed_offset));
  set_u16(row.fixed, 30, static_cast<std::uint16_t>(desc.column_order));
  set_u16(row.fixed, 32, static_cast<std::uint16_t>(desc.offset));
  set_u32(row.fixed, 34, static_cast<std::uint32_t>(desc.collation_id));
  set_u8(row.fixed, 42, desc.status);
  row.column_count = 25;
  if (desc.name) row.variable.push_back(name_value(desc.name));
  return row;
}

SystemRow alloc_unit_row(const AllocUnitRowSpec& desc) {
  SystemRow row;
  row.fixed.assign(41, 0);
  set_u64(row.fixed, 0, static_cast<std::uint64_t>(desc.id));
  set_u8(row.fixed, 8, desc.type);
  set_u64(row.fixed, 9, static_cast<std::uint64_t>(desc.owner_id));
  set_u32(row.fixed, 23, desc.first_page);
  set_u16(row.fixed, 27, desc.first_file);
  set_u32(row.fixed, 29, desc.root_page);
  set_u16(row.fixed, 33, desc.root_file);
  set_u32(row.fixed, 35, desc.first_iam_page);
  set_u16(row.fixed, 39, desc.first_iam_file);
  row.column_count = 12;
  return row;
}

SystemRow rowset_row(std::int64_t rowset_id, std::int32_t object_id, std::int32_t index_id, std::int64_t row_count) {
  SystemRow row;
  row.fixed.assign(35, 0);
  set_u64(row.fixed, 0, static_cast<std::uint64_t>(rowset_id));
  set_u8(row.fixed, 8, 1);
  set_u32(row.fixed, 9, static_cast<std::uint32_t>(object_id));
  set_u32(row.fixed, 13, static_cast<std::uint32_t>(index_id));
  set_u32(row.fixed, 17, 1);
  set_u64(row.fixed, 27, static_cast<std::uint64_t>(row_count));
  row.column_count = 10;
  return row;
}

SystemRow rowset_column_row(const RowsetColumnRowSpec& desc) {
  SystemRow row;
  row.fixed.assign(50, 0);
  set_u64(row.fixed, 0, static_cast<std::uint64_t>(desc.rowset_id));
  set_u32(row.fixed, 8, static_cast<std::uint32_t>(desc.rowset_column_id));
  set_u32(row.fixed, 12, static_cast<std::uint32_t>(desc.physical_column_id));
  set_u32(row.fixed, 28, static_cast<std::uint32_t>(desc.rowset_column_id));
  set_u32(row.fixed, 40, static_cast<std::uint32_t>(desc.leaf_offset));
  set_u32(row.fixed, 44, static_cast<std::uint32_t>(desc.null_bit));
  row.column_count = 13;
  return row;
}

SystemRow hobt_column_row(std::int64_t rowset_id, std::int32_t column_id, std::int16_t leaf_offset,
                          std::int16_t null_bit) {
  SystemRow row;
  row.fixed.assign(35, 0);
  set_u64(row.fixed, 0, static_cast<std::uint64_t>(rowset_id));
  set_u32(row.fixed, 8, static_cast<std::uint32_t>(column_id));
  set_u16(row.fixed, 27, static_cast<std::uint16_t>(leaf_offset));
  set_u16(row.fixed, 33, static_cast<std::uint16_t>(null_bit));
  row.column_count = 10;
  return row;
}

SystemRow column_map_row(std::int64_t rowset_id, std::int32_t column_id, std::int32_t physical_column_id) {
  SystemRow row;
  row.fixed.assign(16, 0);
  set_u64(row.fixed, 0, static_cast<std::uint64_t>(rowset_id));
  set_u32(row.fixed, 8, static_cast<std::uint32_t>(column_id));
  set_u32(row.fixed, 12, static_cast<std::uint32_t>(physical_column_id));
  row.column_count = 3;
  return row;
}

SystemRow scalar_type_row(std::int32_t type_id, const std::string& name, std::uint8_t system_type_id,
                          std::int16_t max_length, std::int32_t schema_id) {
  SystemRow row;
  row.fixed.assign(38, 0);
  set_u32(row.fixed, 0, static_cast<std::uint32_t>(type_id));
  set_u32(row.fixed, 4, static_cast<std::uint32_t>(schema_id));
  set_u8(row.fixed, 8, system_type_id);
  set_u16(row.fixed, 9, static_cast<std::uint16_t>(max_length));
  row.column_count = 12;
  row.variable.push_back(utf16(name));
  return row;
}

std::vector<SystemRow> standard_scalar_type_rows() {
  struct Type {
    std::int32_t id;
    const char* name;
    std::int16_t max_length;
  };
  static const Type kTypes[] = {
      {34, "image", 16},     {35, "text", 16},          {36, "uniqueidentifier", 16}, {40, "date", 3},
      {41, "time", 5},       {42, "datetime2", 8},      {43, "datetimeoffset", 10},   {48, "tinyint", 1},
      {52, "smallint", 2},   {56, "int", 4},            {58, "smalldatetime", 4},     {59, "real", 4},
      {60, "money", 8},      {61, "datetime", 8},       {62, "float", 8},             {98, "sql_variant", 8016},
      {99, "ntext", 16},     {104, "bit", 1},           {106, "decimal", 17},         {108, "numeric", 17},
      {122, "smallmoney", 4}, {127, "bigint", 8},       {165, "varbinary", 8000},     {167, "varchar", 8000},
      {173, "binary", 8000}, {175, "char", 8000},       {189, "timestamp", 8},        {231, "nvarchar", 8000},
      {239, "nchar", 8000},  {241, "xml", -1}};
  std::vector<SystemRow> rows;
  for (const Type& type : kTypes) {
    rows.push_back(scalar_type_row(type.id, type.name, static_cast<std::uint8_t>(type.id), type.max_length));
  }
  // sysname: a user type on nvarchar, listed after its base type.
  rows.push_back(scalar_type_row(256, "sysname", 231, 256));
  return rows;
}

SystemRow index_row(std::int32_t object_id, std::int32_t index_id, const std::string& name, std::int32_t status,
                    std::uint8_t type, std::int64_t rowset_id) {
  SystemRow row;
  row.fixed.assign(35, 0);
  set_u32(row.fixed, 0, static_cast<std::uint32_t>(object_id));
  set_u32(row.fixed, 4, static_cast<std::uint32_t>(index_id));
  set_u32(row.fixed, 8, static_cast<std::uint32_t>(status));
  set_u8(row.fixed, 17, type);
  set_u64(row.fixed, 27, static_cast<std::uint64_t>(rowset_id));
  row.column_count = 12;
  row.variable.push_back(utf16(name));
  return row;
}

SystemRow index_column_row(std::int32_t object_id, std::int32_t index_id, std::int32_t index_column_id,
                           std::int32_t column_id, std::uint8_t key_ordinal) {
  SystemRow row;
  row.fixed.assign(22, 0);
  set_u32(row.fixed, 0, static_cast<std::uint32_t>(object_id));
  set_u32(row.fixed, 4, static_cast<std::uint32_t>(index_id));
  set_u32(row.fixed, 8, static_cast<std::uint32_t>(index_column_id));
  set_u32(row.fixed, 16, static_cast<std::uint32_t>(column_id));
  set_u8(row.fixed, 20, key_ordinal);
  row.column_count = 7;
  return row;
}

SystemRow object_ref_row(std::uint8_t ref_class, std::int32_t dependent_id, std::int32_t dependent_sub_id,
                         std::int32_t independent_id, std::int32_t independent_sub_id) {
  SystemRow row;
  row.fixed.assign(21, 0);
  set_u8(row.fixed, 0, ref_class);
  set_u32(row.fixed, 1, static_cast<std::uint32_t>(dependent_id));
  set_u32(row.fixed, 5, static_cast<std::uint32_t>(dependent_sub_id));
  set_u32(row.fixed, 9, static_cast<std::uint32_t>(independent_id));
  set_u32(row.fixed, 13, static_cast<std::uint32_t>(independent_sub_id));
  row.column_count = 6;
  return row;
}

SystemRow legacy_index_row(std::int32_t object_id, std::int16_t index_id, std::uint32_t first_page,
                           std::uint32_t first_iam_page) {
  SystemRow row;
  row.fixed.assign(68, 0);
  set_u32(row.fixed, 0, static_cast<std::uint32_t>(object_id));
  set_u32(row.fixed, 8, first_page);
  set_u16(row.fixed, 12, 1);
  set_u16(row.fixed, 14, static_cast<std::uint16_t>(index_id));
  set_u32(row.fixed, 64, first_iam_page);
  row.column_count = 25;
  return row;
}

// ---------------------------------------------------------------------------------------
// Whole small databases.

namespace {

constexpr std::uint32_t kBootPagePosition = 9;
constexpr std::uint32_t kFirstSystemPage = 16;
constexpr std::size_t kPageBodyBytes = 8192 - 96;
constexpr std::uint8_t kDataPage = 1;
constexpr std::uint64_t kInRowIndexBits = 0x0100ull << 48;

// Object ids of the system tables the writer fills.
constexpr std::int32_t kFiles = 8;
constexpr std::int32_t kSchObjs = 34;
constexpr std::int32_t kObjects2000 = 1;
constexpr std::int32_t kIndexes2000 = 2;
constexpr std::int32_t kColumns2000 = 3;
constexpr std::int32_t kRsCols = 3;
constexpr std::int32_t kColumnMap = 4;
constexpr std::int32_t kRowsets = 5;
constexpr std::int32_t kAllocUnits = 7;
constexpr std::int32_t kHobtColumns = 13;
constexpr std::int32_t kColPars = 41;
constexpr std::int32_t kScalarTypes = 50;

std::vector<std::uint8_t> encode_system_row(const SystemRow& row) {
  RecordSpec desc;
  desc.fixed = row.fixed;
  desc.column_count = static_cast<std::uint16_t>(std::max<int>(row.column_count, static_cast<int>(row.variable.size())));
  for (const auto& value : row.variable) {
    VariableColumn column;
    if (value) column.bytes = *value;
    desc.variable.push_back(column);
  }
  return encode_record(desc);
}

// Splits records into pages: as many as fit, or at most rows_per_page.
std::vector<std::vector<std::vector<std::uint8_t>>> pack(const std::vector<std::vector<std::uint8_t>>& records,
                                                         std::size_t rows_per_page) {
  std::vector<std::vector<std::vector<std::uint8_t>>> pages;
  std::size_t used = kPageBodyBytes;
  for (const std::vector<std::uint8_t>& record : records) {
    const std::size_t need = record.size() + 2;
    const bool full = pages.empty() || used + need > kPageBodyBytes ||
                      (rows_per_page != 0 && pages.back().size() >= rows_per_page);
    if (full) {
      pages.emplace_back();
      used = 0;
    }
    pages.back().push_back(record);
    used += need;
  }
  return pages;
}

bool contains(const std::vector<std::int32_t>& ids, std::int32_t id) {
  return std::find(ids.begin(), ids.end(), id) != ids.end();
}

}  // namespace

bool TableColumnSpec::variable() const {
  switch (system_type_id) {
    case 34: case 35: case 98: case 99: case 165: case 167: case 231: case 240: case 241:
      return !computed;
    default:
      return false;
  }
}

std::size_t TableColumnSpec::fixed_size() const {
  if (computed || variable()) return 0;
  switch (system_type_id) {
    case 48: case 104: return 1;
    case 52: return 2;
    case 56: case 58: case 59: case 122: return 4;
    case 36: return 16;
    case 40: return 3;
    case 60: case 61: case 62: case 127: case 189: return 8;
    default: return static_cast<std::size_t>(std::max<std::int16_t>(max_length, 0));
  }
}

CatalogDatabaseWriter::CatalogDatabaseWriter(CatalogLayout layout) : layout_(layout) {
  if (layout_ == CatalogLayout::kLegacy) version_ = 539;
  add_system_row(kFiles, file_row(1, "PortalmendTest", "C:\\Data\\PortalmendTest.mdf"));
  if (layout_ == CatalogLayout::kModern) {
    for (const SystemRow& row : standard_scalar_type_rows()) add_system_row(kScalarTypes, row);
  }
}

void CatalogDatabaseWriter::add_system_row(std::int32_t object_id, const SystemRow& row) {
  if (!system_rows_.count(object_id)) system_order_.push_back(object_id);
  system_rows_[object_id].push_back(row);
}

const std::vector<SystemRow>& CatalogDatabaseWriter::system_rows(std::int32_t object_id) const {
  static const std::vector<SystemRow> kNone;
  auto it = system_rows_.find(object_id);
  return it == system_rows_.end() ? kNone : it->second;
}

std::int32_t CatalogDatabaseWriter::page_object_id_of(std::int32_t table_id) {
  return 100000 + (table_id % 1000000);
}

std::int64_t CatalogDatabaseWriter::rowset_id_of(std::int32_t table_id) {
  return static_cast<std::int64_t>(kInRowIndexBits | (static_cast<std::uint64_t>(static_cast<std::uint32_t>(table_id)) << 16) | 1u);
}

void CatalogDatabaseWriter::add_object(std::int32_t id, const std::string& name, const std::string& type,
                                       std::int32_t parent_id) {
  ObjectRowSpec desc;
  desc.id = id;
  desc.name = name;
  desc.type = type;
  desc.parent_id = parent_id;
  if (layout_ == CatalogLayout::kLegacy) {
    add_system_row(kObjects2000, legacy_object_row(desc));
  } else {
    add_system_row(kSchObjs, object_row(desc));
  }
}

void CatalogDatabaseWriter::drop_table_pages(std::int32_t object_id) { dropped_.push_back(object_id); }

void CatalogDatabaseWriter::duplicate_table_pages(std::int32_t object_id) { duplicated_.push_back(object_id); }

void CatalogDatabaseWriter::add_table(const TableSpec& table) {
  add_object(table.id, table.name, table.type);
  if (layout_ == CatalogLayout::kLegacy) {
    add_legacy_table(table);
  } else {
    add_modern_table(table);
  }
  std::vector<std::vector<std::uint8_t>> records;
  for (const TableRowValues& values : table.rows) records.push_back(encode_user_row(table, values));
  const std::int32_t page_object =
      layout_ == CatalogLayout::kLegacy ? table.id : page_object_id_of(table.id);
  user_pages_.emplace_back(page_object, std::move(records));
}

namespace {

// Where each stored column lies: leaf offset (fixed: offset in the record; variable: the
// complement of its variable index) and 1-based null bit.
struct Placement {
  std::int32_t leaf_offset = 0;
  std::int32_t null_bit = 0;
};

std::vector<std::optional<Placement>> place_columns(const std::vector<TableColumnSpec>& columns) {
  std::vector<std::optional<Placement>> placements;
  std::int32_t fixed_offset = 4;
  std::int32_t variable_index = 0;
  std::int32_t null_bit = 1;
  for (const TableColumnSpec& column : columns) {
    if (column.computed) {
      placements.emplace_back(std::nullopt);
      continue;
    }
    Placement placement;
    placement.null_bit = null_bit++;
    if (column.variable()) {
      placement.leaf_offset = ~variable_index++;
    } else {
      placement.leaf_offset = fixed_offset;
      fixed_offset += static_cast<std::int32_t>(column.fixed_size());
    }
    placements.emplace_back(placement);
  }
  return placements;
}

}  // namespace

void CatalogDatabaseWriter::add_modern_table(const TableSpec& table) {
  const std::int64_t rowset_id = rowset_id_of(table.id);
  const std::vector<std::optional<Placement>> placements = place_columns(table.columns);
  for (std::size_t i = 0; i < table.columns.size(); ++i) {
    const TableColumnSpec& column = table.columns[i];
    const std::int32_t column_id = static_cast<std::int32_t>(i + 1);
    if (!column.lose_catalog_row) {
      ColumnRowSpec desc;
      desc.object_id = table.id;
      desc.column_id = column_id;
      desc.name = column.name;
      desc.system_type_id = column.system_type_id;
      desc.user_type_id = column.system_type_id;
      desc.max_length = column.max_length;
      desc.precision = column.precision;
      desc.scale = column.scale;
      desc.collation_id = column.collation_id;
      desc.status = (column.nullable ? 0 : 1) | (column.identity ? 4 : 0) | (column.computed ? 0x10 : 0);
      if (column.identity) {
        std::vector<std::uint8_t> identity(12, 0);
        set_u32(identity, 4, 1);
        set_u32(identity, 8, 1);
        desc.identity_value = identity;
      }
      add_system_row(kColPars, column_row(desc));
    }
    if (!placements[i]) continue;
    if (table.hobt_positions) {
      add_system_row(kHobtColumns, hobt_column_row(rowset_id, column_id, static_cast<std::int16_t>(placements[i]->leaf_offset),
                                                   static_cast<std::int16_t>(placements[i]->null_bit)));
      add_system_row(kColumnMap, column_map_row(rowset_id, column_id, column_id));
    } else {
      add_system_row(kRsCols, rowset_column_row({rowset_id, column_id, column_id, placements[i]->leaf_offset,
                                                 placements[i]->null_bit}));
    }
  }
  add_system_row(kRowsets, rowset_row(rowset_id, table.id, 0, static_cast<std::int64_t>(table.rows.size())));
  AllocUnitRowSpec unit;
  unit.id = static_cast<std::int64_t>(kInRowIndexBits |
                                      (static_cast<std::uint64_t>(static_cast<std::uint32_t>(page_object_id_of(table.id))) << 16));
  unit.type = 1;
  unit.owner_id = rowset_id;
  // A stale first page: the catalog takes the last data page the scan found instead.
  unit.first_page = 1;
  unit.first_file = 1;
  add_system_row(kAllocUnits, alloc_unit_row(unit));
}

void CatalogDatabaseWriter::add_legacy_table(const TableSpec& table) {
  const std::vector<std::optional<Placement>> placements = place_columns(table.columns);
  for (std::size_t i = 0; i < table.columns.size(); ++i) {
    const TableColumnSpec& column = table.columns[i];
    if (column.lose_catalog_row) continue;
    LegacyColumnRowSpec desc;
    desc.object_id = table.id;
    desc.column_id = static_cast<std::int16_t>(i + 1);
    desc.name = column.name;
    desc.system_type_id = column.system_type_id;
    desc.user_type_id = column.system_type_id;
    desc.length = column.max_length;
    desc.column_order = static_cast<std::int16_t>(i + 1);
    desc.collation_id = column.collation_id;
    desc.status = column.nullable ? 0 : 1;
    if (placements[i]) {
      desc.offset = static_cast<std::int16_t>(placements[i]->leaf_offset);
      desc.fixed_offset = static_cast<std::int16_t>(std::max(placements[i]->leaf_offset, 0));
    }
    add_system_row(kColumns2000, legacy_column_row(desc));
  }
  add_system_row(kIndexes2000, legacy_index_row(table.id, 1, 0, 0));
}

std::vector<std::uint8_t> CatalogDatabaseWriter::encode_user_row(const TableSpec& table,
                                                                 const TableRowValues& values) const {
  RecordSpec desc;
  std::size_t stored = 0;
  for (std::size_t i = 0; i < table.columns.size(); ++i) {
    const TableColumnSpec& column = table.columns[i];
    if (column.computed) continue;
    ++stored;
    const std::optional<std::vector<std::uint8_t>> value = i < values.size() ? values[i] : std::nullopt;
    desc.nulls.push_back(!value.has_value());
    if (column.variable()) {
      VariableColumn variable;
      if (value) variable.bytes = *value;
      desc.variable.push_back(variable);
    } else {
      std::vector<std::uint8_t> bytes = value ? *value : std::vector<std::uint8_t>();
      bytes.resize(column.fixed_size(), 0);
      desc.fixed.insert(desc.fixed.end(), bytes.begin(), bytes.end());
    }
  }
  desc.column_count = static_cast<std::uint16_t>(stored);
  return encode_record(desc);
}

DataFileWriter CatalogDatabaseWriter::build() const {
  DataFileWriter file;
  // The boot page: version, name and collation of the database.
  BootPageFields boot;
  boot.page_number = static_cast<std::int32_t>(kBootPagePosition);
  boot.version = version_;
  boot.create_version = version_;
  boot.name = database_name_;
  boot.collation_id = collation_id_;
  file.set_page(kBootPagePosition, boot_page(boot));

  std::uint32_t position = kFirstSystemPage;
  std::vector<std::pair<std::int32_t, std::vector<std::uint8_t>>> written;
  auto write_pages = [&](std::int32_t object_id, const std::vector<std::vector<std::uint8_t>>& records) {
    if (contains(dropped_, object_id)) return;
    for (const auto& page_records : pack(records, rows_per_page_)) {
      PageWriter page = standard_page(position, object_id, kDataPage);
      for (const std::vector<std::uint8_t>& record : page_records) page.add_record(record);
      std::vector<std::uint8_t> bytes = page.build();
      file.set_page(position, bytes);
      written.emplace_back(object_id, std::move(bytes));
      ++position;
    }
  };
  for (std::int32_t object_id : system_order_) {
    std::vector<std::vector<std::uint8_t>> records;
    for (const SystemRow& row : system_rows_.at(object_id)) records.push_back(encode_system_row(row));
    write_pages(object_id, records);
  }
  for (const auto& [page_object, records] : user_pages_) write_pages(page_object, records);
  // Old copies of pages, stored after everything else.
  for (const auto& [object_id, bytes] : written) {
    if (contains(duplicated_, object_id)) file.set_page(position++, bytes);
  }
  // A few empty pages at the end, as a real file has.
  file.set_page(position + 3, std::vector<std::uint8_t>(8192, 0));
  return file;
}

}  // namespace portalmend::writer
