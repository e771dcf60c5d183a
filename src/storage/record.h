#pragma once
// A data or index record of a page, in the uncompressed row format.
//
// Record layout (offsets from the record start, little-endian):
//
//   offset       width                  field
//   0            1                      status byte A (bits below)
//   1            1                      status byte B
//   2            2                      fixed-length end: offset of the column count
//   4            fixed end - 4          fixed-length column data
//   fixed end    2                      column count
//   +2           (column count + 7)/8   null bitmap, when status A bit 4 is set
//   next         2                      variable column count
//   next         2 x variable count     variable column end offsets from the record start;
//                                       bit 15 set marks a complex column
//   next         ...                    variable column data, each value ending at its offset
//
// Status byte A: bit 0 compressed record, bits 1-3 record type (0 primary, 1 forwarded,
// 2 forwarding stub, 3 index, 4 large-object fragment, 5 ghost index, 6 ghost data, 7 ghost
// version), bit 4 null bitmap present, bit 5 variable columns present, bit 6 versioning.
//
// Forwarding stub (record type 2): status byte, page number (4 bytes at 1), file id (2 bytes at
// 5), slot number (signed, 2 bytes at 7) of the forwarded record.
//
// Sparse column vector (a complex variable value whose complex id is 5): 16-bit complex id at
// 0, 16-bit column count n at 2, n 16-bit column ids from 4, n 16-bit end offsets (from the
// vector start) from 4 + 2n, then the values from 4 + 4n.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "storage/byte_reader.h"
#include "storage/compression_record.h"
#include "storage/read_options.h"

namespace portalmend {

class DatabaseFile;

// Record types held in bits 1-3 of status byte A.
enum RecordType : std::uint8_t {
  kPrimaryRecord = 0,
  kForwardedRecord = 1,
  kForwardingStub = 2,
  kIndexRecord = 3,
  kBlobFragment = 4,
  kGhostIndexRecord = 5,
  kGhostDataRecord = 6,
  kGhostVersionRecord = 7,
};

// Offsets and limits of the uncompressed record format.
inline constexpr std::size_t kStatusAOffset = 0;
inline constexpr std::size_t kStatusBOffset = 1;
inline constexpr std::size_t kFixedEndOffset = 2;
inline constexpr std::size_t kFixedDataOffset = 4;
inline constexpr std::size_t kStubPageOffset = 1;
inline constexpr std::size_t kStubFileOffset = 5;
inline constexpr std::size_t kStubSlotOffset = 7;
inline constexpr std::size_t kStubLength = 9;
inline constexpr int kMaxFixedLength = 8060;  // fixed data at or above this is not believed
inline constexpr int kMaxColumnCount = 1024;  // column and variable counts must stay below
inline constexpr int kMaxRecordLength = 8060;  // the longest row the server writes
inline constexpr int kMissingForwardTarget = -5;  // fixed data length of a stub without target
inline constexpr std::uint16_t kComplexColumnBit = 0x8000;
inline constexpr int kTextPointerLength = 16;  // a complex value this long is a text pointer
inline constexpr int kSparseVectorComplexId = 5;

// Status byte A bits.
inline constexpr std::uint8_t kStatusCompressed = 0x01;
inline constexpr std::uint8_t kStatusNullBitmap = 0x10;
inline constexpr std::uint8_t kStatusVariableColumns = 0x20;
inline constexpr std::uint8_t kStatusVersioning = 0x40;

// One variable-length value of a record, or one column of a sparse vector.
struct VariableValue {
  // The sparse column id; -1 for an ordinary variable column.
  std::int32_t column_id = -1;
  // The value's bytes, or nothing when the value could not be taken (empty or out of bounds).
  std::optional<std::vector<std::uint8_t>> bytes;
  // The length of the value in bytes (0 when there are no bytes).
  std::int32_t length = 0;
  // Bit 15 of the end offset: the value is a complex column (text pointer, large-object root,
  // sparse vector, forwarding back pointer).
  bool complex = false;
};

// The decoded sparse column set of a record.
struct SparseVector {
  std::vector<VariableValue> values;
};

// Decodes a sparse vector from a complex value's bytes; nothing when its counts do not fit.
std::optional<SparseVector> decode_sparse_vector(ByteReader value, const ReadOptions& options);

// Where a record lies: the page buffer (its whole extent bounds every read), the page's own
// number and type from its header, and the file the page came from (for forwarding stubs).
struct RecordSite {
  ByteReader page;
  std::int32_t page_number = 0;
  std::uint8_t page_type = 0;
  const DatabaseFile* file = nullptr;
  // How many forwarding stubs were followed to reach this page; a stub is followed only from
  // depth 0, so a stub pointing at a stub (or at itself) cannot lead to an endless walk.
  int forwarding_depth = 0;
};

// The pieces every record kind owns: status, fixed data, length and record bytes.
class CRecord {
 public:
  virtual ~CRecord();

  // Status byte A as read (of the forwarded record for a followed stub).
  std::uint8_t status_a() const { return status_a_; }
  // Status A bit 0: the record is in the compressed row format.
  bool compressed() const { return compressed_; }
  // Record type from status A bits 1-3 (a followed forwarding stub stays type 2).
  std::uint8_t record_type() const { return record_type_; }
  // Status A bit 4: a null bitmap follows the column count.
  bool has_null_bitmap() const { return null_bitmap_flag_; }
  // Status A bit 5: variable-length columns are present.
  bool has_variable_columns() const { return variable_flag_; }
  // Status A bit 6: versioning information is appended (noted, not read).
  bool has_versioning() const { return versioning_flag_; }
  // True when status byte B equals 1.
  bool status_b_flag() const { return status_b_flag_; }
  // A ghost record (types 5-7) while deleted records are not shown.
  bool deleted() const { return deleted_; }
  // The record cannot be used: wrong page, unknown or unadmitted record type, bad counts.
  bool rejected() const { return rejected_; }
  // How many bytes from the record start could be read.
  std::uint16_t max_length() const { return max_length_; }
  // A copy of the fixed-length column data, or nothing.
  const std::optional<std::vector<std::uint8_t>>& fixed_data() const { return fixed_data_; }
  // Fixed-length end minus 4; kMissingForwardTarget for a stub whose target is missing.
  std::int16_t fixed_length() const { return fixed_length_; }
  // The offset just past the last byte decoded.
  std::int32_t record_length() const { return record_length_; }
  // A copy of the first record_length() bytes of the record, or nothing.
  const std::optional<std::vector<std::uint8_t>>& record_bytes() const { return record_bytes_; }
  // Number and type of the page the record lies on.
  std::int32_t page_number() const { return page_number_; }
  std::uint8_t page_type() const { return page_type_; }
  // True for a forwarding stub (record type 2), followed or not.
  bool is_forwarding_stub() const { return record_type_ == kForwardingStub; }

 protected:
  CRecord() = default;
  CRecord(const CRecord&) = default;
  CRecord(CRecord&&) = default;
  CRecord& operator=(const CRecord&) = default;
  CRecord& operator=(CRecord&&) = default;

  // Takes the bits of status byte A, keeping the record type when keep_type is set.
  void set_status(std::uint8_t status_a, bool keep_type = false);

  std::uint8_t status_a_ = 0;
  bool compressed_ = false;
  std::uint8_t record_type_ = 0;
  bool null_bitmap_flag_ = false;
  bool variable_flag_ = false;
  bool versioning_flag_ = false;
  bool status_b_flag_ = false;
  bool deleted_ = false;
  bool rejected_ = false;
  std::uint16_t max_length_ = 0;
  std::optional<std::vector<std::uint8_t>> fixed_data_;
  std::int16_t fixed_length_ = 0;
  std::int32_t record_length_ = 0;
  std::optional<std::vector<std::uint8_t>> record_bytes_;
  std::int32_t page_number_ = 0;
  std::uint8_t page_type_ = 0;
};

// One decoded data or index record.
class CPrimaryRecord : public CRecord {
 public:
  // Decodes the record at `offset` of the site's page, reading at most max_length bytes.
  CPrimaryRecord(const RecordSite& site, std::size_t offset, std::uint16_t max_length,
                 const ReadOptions& options);

  // A record decoded while carving a page for deleted rows, with the length it spans (-1 when
  // nothing record-like stands at the offset).
  struct Carved;
  static Carved carve(const RecordSite& site, std::size_t offset, const ReadOptions& options);

  CPrimaryRecord(const CPrimaryRecord&) = default;
  CPrimaryRecord(CPrimaryRecord&&) = default;
  CPrimaryRecord& operator=(const CPrimaryRecord&) = default;
  CPrimaryRecord& operator=(CPrimaryRecord&&) = default;
  ~CPrimaryRecord() override;

  // The number of columns stored in the record.
  std::int16_t column_count() const { return column_count_; }
  // A copy of the null bitmap, (column count + 7) / 8 bytes, or nothing.
  const std::optional<std::vector<std::uint8_t>>& null_bitmap() const { return null_bitmap_; }
  // The variable column count as used.
  std::int16_t variable_count() const { return variable_count_; }
  // The variable columns' end offsets with bit 15 cleared.
  const std::vector<std::uint16_t>& variable_ends() const { return variable_ends_; }
  // One entry per variable column in order.
  const std::vector<VariableValue>& variable_values() const { return variable_values_; }
  // The sparse column set, when a complex value holds one.
  const std::optional<SparseVector>& sparse_vector() const { return sparse_vector_; }
  // Whether column `index` (0-based) is marked null in the bitmap; false without a bitmap.
  bool is_null(std::size_t index) const;

  // The regions of a compressed record (column descriptor codes, short and long data), or
  // nothing for a record in the ordinary format. The row reader rebuilds the record from them
  // with the table's columns.
  const std::optional<CompressedRecordParts>& compressed_parts() const { return compressed_parts_; }

 private:
  CPrimaryRecord() = default;

  // Steps shared by both constructors: the page test, status byte A and the admitted types.
  // Returns false when the record is rejected.
  bool admit(const RecordSite& site, ByteReader bytes, const ReadOptions& options);
  // Takes the regions of a compressed record.
  void decode_compressed(ByteReader bytes);
  // Decodes from the column count on; returns the running offset after the record's pieces.
  std::size_t decode_columns(ByteReader bytes, std::size_t offset, bool has_fixed,
                             const ReadOptions& options);
  // Decodes the variable columns at `offset`; returns the running offset after them (0 when
  // the variable count exceeds the column count).
  std::size_t decode_variable(ByteReader bytes, std::size_t offset, bool has_fixed,
                              const ReadOptions& options);
  // Follows a forwarding stub; returns the forwarded record's bytes, or nothing.
  static std::optional<std::vector<std::uint8_t>> follow_stub(const RecordSite& site, ByteReader stub,
                                                              const ReadOptions& options);

  std::int16_t column_count_ = 0;
  std::optional<std::vector<std::uint8_t>> null_bitmap_;
  std::int16_t variable_count_ = 0;
  std::vector<std::uint16_t> variable_ends_;
  std::vector<VariableValue> variable_values_;
  std::optional<SparseVector> sparse_vector_;
  std::optional<CompressedRecordParts> compressed_parts_;
};

struct CPrimaryRecord::Carved {
  CPrimaryRecord record;
  std::int32_t length = -1;
};

}  // namespace portalmend
