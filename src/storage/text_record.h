#pragma once
// One record of a text page: a fragment of a large-object tree.
//
// Record layout (offsets within the record):
// | Offset | Width | Field                                                          |
// |--------|-------|----------------------------------------------------------------|
// | 0      | 1     | status A (bits 1-3 record type, 3 for large-object fragments)  |
// | 1      | 1     | status B                                                       |
// | 2      | 2     | fixed-length end F: the large-object data runs from 4 to F     |
// | 4      | F - 4 | large-object data                                              |
//
// Large-object data (offsets within the data):
// | 0      | 8     | blob id                                                        |
// | 8      | 2     | structure type (0 small root, 2 internal, 3 data, 4-6 large root) |
// | 10     | ...   | structure body (see lob_structure.h)                           |

#include <cstdint>
#include <vector>

#include "storage/byte_reader.h"

namespace portalmend {

class TextRecord {
 public:
  static constexpr std::size_t kStatusAOffset = 0;
  static constexpr std::size_t kStatusBOffset = 1;
  static constexpr std::size_t kFixedEndOffset = 2;
  static constexpr std::size_t kDataOffset = 4;
  // Blob id and structure type in front of every structure body.
  static constexpr std::size_t kLobHeaderSize = 10;
  static constexpr std::size_t kBlobIdOffset = 0;
  static constexpr std::size_t kStructureTypeOffset = 8;
  // Structure type given to data too short to carry one.
  static constexpr std::uint16_t kUnusableType = 8;

  // Decodes the record that starts the view; the view runs to the end of the page.
  static TextRecord Decode(ByteReader record);

  // Status byte A.
  std::uint8_t status_a() const { return status_a_; }
  // Status byte B.
  std::uint8_t status_b() const { return status_b_; }
  // Record type, bits 1-3 of status A.
  int record_type() const { return (status_a_ >> 1) & 0x07; }
  // Offset where the large-object data ends within the record.
  std::uint16_t fixed_end() const { return fixed_end_; }
  // Copy of the large-object data (blob id, structure type, body); empty when unusable.
  const std::vector<std::uint8_t>& data() const { return data_; }
  std::vector<std::uint8_t>& mutable_data() { return data_; }
  bool has_data() const { return !data_.empty(); }
  // Data length without the 10-byte large-object header (F - 14); negative when shorter.
  int data_length() const { return static_cast<int>(fixed_end_) - static_cast<int>(kDataOffset + kLobHeaderSize); }
  // The id shared by the records of one value.
  std::uint64_t blob_id() const { return ByteReader(data_).u64_or(kBlobIdOffset); }
  // Structure type, or kUnusableType when the data is shorter than its header.
  std::uint16_t structure_type() const {
    return data_.size() < kLobHeaderSize ? kUnusableType : ByteReader(data_).u16_or(kStructureTypeOffset);
  }

 private:
  std::uint8_t status_a_ = 0;
  std::uint8_t status_b_ = 0;
  std::uint16_t fixed_end_ = 0;
  std::vector<std::uint8_t> data_;
};

}  // namespace portalmend
