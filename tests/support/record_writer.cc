#include "support/record_writer.h"

#include <algorithm>

namespace portalmend::writer {

void append_u16(std::vector<std::uint8_t>& out, std::uint16_t value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void append_u32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  append_u16(out, static_cast<std::uint16_t>(value & 0xFFFF));
  append_u16(out, static_cast<std::uint16_t>(value >> 16));
}

std::uint8_t status_a(std::uint8_t type, bool null_bitmap, bool variable_columns, bool versioning, bool compressed) {
  std::uint8_t status = static_cast<std::uint8_t>((type & 0x07) << 1);
  if (compressed) status |= kStatusCompressed;
  if (null_bitmap) status |= kStatusNullBitmap;
  if (variable_columns) status |= kStatusVariableColumns;
  if (versioning) status |= kStatusVersioning;
  return status;
}

std::vector<std::uint8_t> encode_record(const RecordSpec& desc) {
  const bool variable_flag = desc.variable_flag.value_or(!desc.variable.empty());
  std::vector<std::uint8_t> out;
  out.push_back(status_a(desc.record_type, desc.null_bitmap, variable_flag, desc.versioning));
  out.push_back(desc.status_b);
  append_u16(out, desc.fixed_end.value_or(static_cast<std::uint16_t>(kFixedDataOffset + desc.fixed.size())));
  out.insert(out.end(), desc.fixed.begin(), desc.fixed.end());

  std::uint16_t columns = 1;
  if (desc.column_count) {
    columns = *desc.column_count;
  } else if (!desc.nulls.empty()) {
    columns = static_cast<std::uint16_t>(desc.nulls.size());
  } else if (!desc.variable.empty()) {
    columns = static_cast<std::uint16_t>(desc.variable.size());
  }
  append_u16(out, columns);
  if (desc.null_bitmap) {
    std::vector<std::uint8_t> bitmap((columns + 7u) / 8u, 0);
    for (std::size_t i = 0; i < desc.nulls.size() && i / 8 < bitmap.size(); ++i) {
      if (desc.nulls[i]) bitmap[i / 8] = static_cast<std::uint8_t>(bitmap[i / 8] | (1u << (i % 8)));
    }
    out.insert(out.end(), bitmap.begin(), bitmap.end());
  }
  if (!variable_flag) return out;

  append_u16(out, desc.variable_count.value_or(static_cast<std::uint16_t>(desc.variable.size())));
  // End offsets count from the record start: after the offset array come the values in order.
  std::size_t end = out.size() + 2 * desc.variable.size();
  for (const VariableColumn& column : desc.variable) {
    end += column.bytes.size();
    std::uint16_t stored = static_cast<std::uint16_t>(end & 0x7FFF);
    if (column.complex) stored = static_cast<std::uint16_t>(stored | kComplexColumnBit);
    append_u16(out, stored);
  }
  for (const VariableColumn& column : desc.variable) out.insert(out.end(), column.bytes.begin(), column.bytes.end());
  return out;
}

std::vector<std::uint8_t> forwarding_stub(PageAddress target, std::int16_t slot) {
  std::vector<std::uint8_t> out;
  out.push_back(status_a(kForwardingStub, false, false));
  append_u32(out, static_cast<std::uint32_t>(target.page_number));
  append_u16(out, target.file_id);
  append_u16(out, static_cast<std::uint16_t>(slot));
  return out;
}

std::vector<std::uint8_t> sparse_vector(const std::vector<std::pair<std::uint16_t, std::vector<std::uint8_t>>>& columns) {
  std::vector<std::uint8_t> out;
  append_u16(out, static_cast<std::uint16_t>(kSparseVectorComplexId));
  append_u16(out, static_cast<std::uint16_t>(columns.size()));
  for (const auto& column : columns) append_u16(out, column.first);
  std::size_t end = 4 + 4 * columns.size();
  for (const auto& column : columns) {
    end += column.second.size();
    append_u16(out, static_cast<std::uint16_t>(end));
  }
  for (const auto& column : columns) out.insert(out.end(), column.second.begin(), column.second.end());
  return out;
}

}  // namespace portalmend::writer
