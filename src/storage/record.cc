#include "storage/record.h"

#include <algorithm>
#include <utility>

#include "storage/page.h"
#include "storage/page_address.h"

namespace portalmend {

namespace {

// A record on a page whose type is above this is not a record the server wrote.
constexpr std::uint8_t kHighestPageType = 17;

// The complex id of a complex value: its first byte, or its first 16-bit word when that byte is 0.
int complex_id(ByteReader value) {
  const std::uint8_t first = value.u8_or(0);
  if (first != 0) return first;
  return value.u16_or(0);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// CRecord

CRecord::~CRecord() = default;

void CRecord::set_status(std::uint8_t status_a, bool keep_type) {
  status_a_ = status_a;
  compressed_ = (status_a & kStatusCompressed) != 0;
  if (!keep_type) record_type_ = static_cast<std::uint8_t>((status_a >> 1) & 0x07);
  null_bitmap_flag_ = (status_a & kStatusNullBitmap) != 0;
  variable_flag_ = (status_a & kStatusVariableColumns) != 0;
  versioning_flag_ = (status_a & kStatusVersioning) != 0;
}

// ---------------------------------------------------------------------------------------------
// Sparse vectors

std::optional<SparseVector> decode_sparse_vector(ByteReader value, const ReadOptions& options) {
  constexpr std::size_t kCountOffset = 2;
  constexpr std::size_t kIdsOffset = 4;
  const std::size_t size = value.size();
  const std::size_t n = value.u16_or(kCountOffset);
  if (!(kIdsOffset + 2 * n < kPageSize && kIdsOffset + 4 * n < kPageSize && size > kIdsOffset &&
        kIdsOffset + 2 * n < size)) {
    return std::nullopt;
  }
  SparseVector vector;
  const std::size_t ends_offset = kIdsOffset + 2 * n;
  std::size_t start = kIdsOffset + 4 * n;
  for (std::size_t i = 0; i < n; ++i) {
    if (options.aborted()) break;
    VariableValue entry;
    entry.column_id = value.u16_or(kIdsOffset + 2 * i);
    const std::size_t end = value.u16_or(ends_offset + 2 * i);
    if (start < end && end - start <= static_cast<std::size_t>(kMaxRecordLength) &&
        start <= static_cast<std::size_t>(kMaxRecordLength - 1) && end <= size) {
      entry.bytes = value.copy(start, end - start);
      if (entry.bytes) entry.length = static_cast<std::int32_t>(end - start);
    }
    vector.values.push_back(std::move(entry));
    start = end;
  }
  return vector;
}

// ---------------------------------------------------------------------------------------------
// CPrimaryRecord

CPrimaryRecord::~CPrimaryRecord() = default;

bool CPrimaryRecord::admit(const RecordSite& site, ByteReader bytes, const ReadOptions& options) {
  page_number_ = site.page_number;
  page_type_ = site.page_type;
  if (site.page_number < 0 || site.page_type > kHighestPageType) {
    rejected_ = true;
    return false;
  }
  const std::optional<std::uint8_t> status = bytes.u8(kStatusAOffset);
  if (!status) {
    rejected_ = true;
    return false;
  }
  set_status(*status);
  deleted_ = !options.show_deleted && record_type_ >= kGhostIndexRecord;
  const bool admitted = record_type_ == kPrimaryRecord || record_type_ == kForwardedRecord ||
                        record_type_ == kForwardingStub ||
                        (record_type_ == kGhostDataRecord && options.show_deleted);
  if (!admitted) rejected_ = true;
  return admitted;
}

CPrimaryRecord::CPrimaryRecord(const RecordSite& site, std::size_t offset, std::uint16_t max_length,
                               const ReadOptions& options) {
  max_length_ = max_length;
  // The record may not reach past its maximum length nor past the page buffer.
  ByteReader bytes = site.page.clamp(offset, max_length);
  if (!admit(site, bytes, options)) return;

  if (compressed_) {
    decode_compressed(bytes);
    return;
  }

  std::vector<std::uint8_t> forwarded;
  if (record_type_ == kForwardingStub) {
    std::optional<std::vector<std::uint8_t>> target = follow_stub(site, bytes, options);
    if (!target) {
      fixed_data_.reset();
      fixed_length_ = kMissingForwardTarget;
      return;
    }
    forwarded = std::move(*target);
    bytes = ByteReader(forwarded);
    set_status(bytes.u8_or(kStatusAOffset), /*keep_type=*/true);
  }

  status_b_flag_ = bytes.u8_or(kStatusBOffset) == 1;
  const std::size_t m = bytes.size();
  const int fixed = static_cast<int>(bytes.u16_or(kFixedEndOffset)) - static_cast<int>(kFixedDataOffset);
  fixed_length_ = static_cast<std::int16_t>(fixed);
  std::size_t position = kFixedDataOffset;
  // The fixed data must lie wholly inside the bytes that may be read.
  if (fixed > 0 && fixed < kMaxFixedLength && record_type_ != kIndexRecord &&
      kFixedDataOffset + static_cast<std::size_t>(fixed) <= m) {
    fixed_data_ = bytes.copy(kFixedDataOffset, static_cast<std::size_t>(fixed));
    position += static_cast<std::size_t>(fixed);
  }
  if (record_type_ == kIndexRecord) {
    record_length_ = static_cast<std::int32_t>(position);
    return;
  }
  position = decode_columns(bytes, position, fixed_data_.has_value(), options);
  if (column_count_ > 0 && column_count_ < kMaxColumnCount && position > 0 && position <= m) {
    record_bytes_ = bytes.copy(0, position);
  }
  record_length_ = static_cast<std::int32_t>(position);
}

CPrimaryRecord::Carved CPrimaryRecord::carve(const RecordSite& site, std::size_t offset,
                                             const ReadOptions& options) {
  Carved carved;
  CPrimaryRecord& record = carved.record;
  // A carved record is never longer than the longest row, nor does it run off the page.
  const std::size_t limit =
      std::min<std::size_t>(kMaxRecordLength, offset < kPageSize ? kPageSize - offset : 0);
  record.max_length_ = static_cast<std::uint16_t>(limit);
  ByteReader bytes = site.page.clamp(offset, limit);
  if (!record.admit(site, bytes, options)) return carved;
  if (record.compressed_ || record.record_type_ == kForwardingStub) return carved;

  record.status_b_flag_ = bytes.u8_or(kStatusBOffset) == 1;
  const int fixed = static_cast<int>(bytes.u16_or(kFixedEndOffset)) - static_cast<int>(kFixedDataOffset);
  record.fixed_length_ = static_cast<std::int16_t>(fixed);
  std::size_t position = kFixedDataOffset;
  const bool has_fixed = fixed > 0 && fixed < kMaxFixedLength;
  if (has_fixed) position += static_cast<std::size_t>(fixed);
  const std::optional<std::int16_t> count = bytes.i16(position);
  if (!count || *count <= 0 || *count >= kMaxColumnCount) return carved;
  position = record.decode_columns(bytes, position, has_fixed, options);
  record.record_length_ = static_cast<std::int32_t>(position);
  // Bytes whose pieces would run off the page are not a record.
  if (position > bytes.size()) return carved;
  carved.length = static_cast<std::int32_t>(position);
  return carved;
}

std::size_t CPrimaryRecord::decode_columns(ByteReader bytes, std::size_t offset, bool has_fixed,
                                           const ReadOptions& options) {
  column_count_ = bytes.i16_or(offset);
  if (column_count_ <= 0 || column_count_ >= kMaxColumnCount) return offset;
  offset += 2;
  if (null_bitmap_flag_) {
    const std::size_t bitmap_length = (static_cast<std::size_t>(column_count_) + 7) / 8;
    null_bitmap_ = bytes.copy(offset, bitmap_length);
    offset += bitmap_length;
  }
  if (variable_flag_) offset = decode_variable(bytes, offset, has_fixed, options);
  return offset;
}

std::size_t CPrimaryRecord::decode_variable(ByteReader bytes, std::size_t offset, bool has_fixed,
                                            const ReadOptions& options) {
  const std::size_t m = bytes.size();
  if (!has_fixed && !null_bitmap_) {
    variable_count_ = column_count_;
  } else {
    variable_count_ = bytes.i16_or(offset);
    offset += 2;
  }
  if (variable_count_ > column_count_) {
    variable_count_ = 0;
    return 0;
  }
  if (variable_count_ <= 0 || variable_count_ >= kMaxColumnCount) return offset;

  std::vector<std::uint16_t> raw_ends(static_cast<std::size_t>(variable_count_), 0);
  for (std::uint16_t& end : raw_ends) {
    end = bytes.u16_or(offset);
    offset += 2;
  }
  variable_ends_.clear();
  variable_values_.clear();
  variable_ends_.reserve(raw_ends.size());
  variable_values_.reserve(raw_ends.size());
  for (const std::uint16_t raw_end : raw_ends) {
    if (options.aborted()) break;
    VariableValue entry;
    entry.complex = (raw_end & kComplexColumnBit) != 0;
    const std::size_t end = raw_end & static_cast<std::uint16_t>(~kComplexColumnBit);
    variable_ends_.push_back(static_cast<std::uint16_t>(end));
    if (end < offset) {
      variable_values_.push_back(std::move(entry));
      continue;
    }
    const std::size_t length = end - offset;
    if (end <= m && end < kPageSize && length < kPageSize && length != 0 && offset >= 1 &&
        offset <= kPageSize - 1) {
      entry.bytes = bytes.copy(offset, length);
      if (entry.bytes) {
        entry.length = static_cast<std::int32_t>(length);
        const ByteReader value(*entry.bytes);
        offset = end;
        if (entry.complex && length != kTextPointerLength && complex_id(value) == kSparseVectorComplexId) {
          sparse_vector_ = decode_sparse_vector(value, options);
        }
      }
    }
    variable_values_.push_back(std::move(entry));
  }
  return offset;
}

std::optional<std::vector<std::uint8_t>> CPrimaryRecord::follow_stub(const RecordSite& site, ByteReader stub,
                                                                     const ReadOptions& options) {
  if (site.file == nullptr || site.forwarding_depth > 0) return std::nullopt;
  const std::optional<std::uint32_t> page = stub.u32(kStubPageOffset);
  const std::optional<std::uint16_t> file_id = stub.u16(kStubFileOffset);
  const std::optional<std::int16_t> slot = stub.i16(kStubSlotOffset);
  if (!page || !file_id || !slot || *slot < 0) return std::nullopt;
  return PrimaryRecordPage::forwarded_record(*site.file, PageAddress{*file_id, static_cast<std::int32_t>(*page)}, *slot,
                                             site.forwarding_depth + 1, options);
}

bool CPrimaryRecord::is_null(std::size_t index) const {
  if (!null_bitmap_) return false;
  const std::size_t byte = index / 8;
  if (byte >= null_bitmap_->size()) return false;
  return ((*null_bitmap_)[byte] >> (index % 8)) & 1;
}

void CPrimaryRecord::decode_compressed(ByteReader bytes) {
  CompressedRecordParts parts = DecodeCompressedRecord(bytes);
  rejected_ = rejected_ || parts.rejected;
  // The short data region stands for the fixed data until the record is rebuilt.
  if (!parts.short_region.empty() && parts.short_region.size() < static_cast<std::size_t>(kMaxFixedLength)) {
    fixed_data_ = parts.short_region;
    fixed_length_ = static_cast<std::int16_t>(parts.short_region.size());
  }
  column_count_ = static_cast<std::int16_t>(parts.column_count);
  if (!parts.null_bitmap.empty()) null_bitmap_ = parts.null_bitmap;
  variable_values_.clear();
  for (const CompressedLongValue& long_value : parts.long_values) {
    VariableValue entry;
    entry.complex = long_value.complex;
    if (!long_value.bytes.empty()) {
      entry.bytes = long_value.bytes;
      entry.length = static_cast<std::int32_t>(long_value.bytes.size());
    }
    variable_values_.push_back(std::move(entry));
  }
  variable_count_ = static_cast<std::int16_t>(variable_values_.size());
  record_length_ = static_cast<std::int32_t>(parts.record_length);
  if (parts.record_length > 0 && parts.record_length <= bytes.size()) record_bytes_ = bytes.copy(0, parts.record_length);
  compressed_parts_ = std::move(parts);
}

}  // namespace portalmend
