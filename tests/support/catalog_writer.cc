#include "support/catalog_writer.h"


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

SystemRow object_row(const ObjectRowSpec& spec) {
  SystemRow row;
  row.fixed.assign(41, 0);
  set_u32(row.fixed, 0, static_cast<std::uint32_t>(spec.id));
  set_u32(row.fixed, 4, static_cast<std::uint32_t>(spec.namespace_id));
  set_u8(row.fixed, 8, 0);
  set_u32(row.fixed, 9, static_cast<std::uint32_t>(spec.status));
  set_u8(row.fixed, 13, spec.type.size() > 0 ? static_cast<std::uint8_t>(spec.type[0]) : 0);
  set_u8(row.fixed, 14, spec.type.size() > 1 ? static_cast<std::uint8_t>(spec.type[1]) : 0);
  set_u32(row.fixed, 15, static_cast<std::uint32_t>(spec.parent_id));
  set_u8(row.fixed, 19, 0);
  set_u32(row.fixed, 20, 0);
  row.column_count = 13;
  if (spec.name) row.variable.push_back(name_value(spec.name));
  return row;
}

SystemRow legacy_object_row(const ObjectRowSpec& spec) {
  SystemRow row;
  row.fixed.assign(50, 0);
  set_u32(row.fixed, 0, static_cast<std::uint32_t>(spec.id));
  set_u8(row.fixed, 4, spec.type.size() > 0 ? static_cast<std::uint8_t>(spec.type[0]) : 0);
  set_u8(row.fixed, 5, spec.type.size() > 1 ? static_cast<std::uint8_t>(spec.type[1]) : 0);
  set_u32(row.fixed, 24, static_cast<std::uint32_t>(spec.parent_id));
  row.column_count = 24;
  if (spec.name) row.variable.push_back(name_value(spec.name));
  return row;
}

SystemRow column_row(const ColumnRowSpec& spec) {
  SystemRow row;
  row.fixed.assign(41, 0);
  set_u32(row.fixed, 0, static_cast<std::uint32_t>(spec.object_id));
  set_u16(row.fixed, 4, static_cast<std::uint16_t>(spec.number));
  set_u32(row.fixed, 6, static_cast<std::uint32_t>(spec.column_id));
  set_u8(row.fixed, 10, spec.system_type_id);
  set_u32(row.fixed, 11, static_cast<std::uint32_t>(spec.user_type_id));
  set_u16(row.fixed, 15, static_cast<std::uint16_t>(spec.max_length));
  set_u8(row.fixed, 17, spec.precision);
  set_u8(row.fixed, 18, spec.scale);
  set_u32(row.fixed, 19, static_cast<std::uint32_t>(spec.collation_id));
  set_u32(row.fixed, 23, static_cast<std::uint32_t>(spec.status));
  set_u16(row.fixed, 27, static_cast<std::uint16_t>(spec.max_length));
  row.column_count = 17;
  if (spec.name || spec.identity_value) row.variable.push_back(name_value(spec.name));
  if (spec.identity_value) row.variable.push_back(spec.identity_value);
  return row;
}

SystemRow legacy_column_row(const LegacyColumnRowSpec& spec) {
  SystemRow row;
  row.fixed.assign(43, 0);
  set_u32(row.fixed, 0, static_cast<std::uint32_t>(spec.object_id));
  set_u8(row.fixed, 4, spec.system_type_id);
  set_u8(row.fixed, 5, spec.type_status);
  set_u16(row.fixed, 6, static_cast<std::uint16_t>(spec.user_type_id));
  set_u16(row.fixed, 8, static_cast<std::uint16_t>(spec.length));
  set_u16(row.fixed, 12, static_cast<std::uint16_t>(spec.column_id));
  set_u16(row.fixed, 14, static_cast<std::uint16_t>(spec.fixed_offset));
  set_u16(row.fixed, 30, static_cast<std::uint16_t>(spec.column_order));
  set_u16(row.fixed, 32, static_cast<std::uint16_t>(spec.offset));
  set_u32(row.fixed, 34, static_cast<std::uint32_t>(spec.collation_id));
  set_u8(row.fixed, 42, spec.status);
  row.column_count = 25;
  if (spec.name) row.variable.push_back(name_value(spec.name));
  return row;
}

SystemRow alloc_unit_row(const AllocUnitRowSpec& spec) {
  SystemRow row;
  row.fixed.assign(41, 0);
  set_u64(row.fixed, 0, static_cast<std::uint64_t>(spec.id));
  set_u8(row.fixed, 8, spec.type);
  set_u64(row.fixed, 9, static_cast<std::uint64_t>(spec.owner_id));
  set_u32(row.fixed, 23, spec.first_page);
  set_u16(row.fixed, 27, spec.first_file);
  set_u32(row.fixed, 29, spec.root_page);
  set_u16(row.fixed, 33, spec.root_file);
  set_u32(row.fixed, 35, spec.first_iam_page);
  set_u16(row.fixed, 39, spec.first_iam_file);
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

SystemRow rowset_column_row(const RowsetColumnRowSpec& spec) {
  SystemRow row;
  row.fixed.assign(50, 0);
  set_u64(row.fixed, 0, static_cast<std::uint64_t>(spec.rowset_id));
  set_u32(row.fixed, 8, static_cast<std::uint32_t>(spec.rowset_column_id));
  set_u32(row.fixed, 12, static_cast<std::uint32_t>(spec.physical_column_id));
  set_u32(row.fixed, 28, static_cast<std::uint32_t>(spec.rowset_column_id));
  set_u32(row.fixed, 40, static_cast<std::uint32_t>(spec.leaf_offset));
  set_u32(row.fixed, 44, static_cast<std::uint32_t>(spec.null_bit));
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

}  // namespace portalmend::writer
