#pragma once
// Writes compressed records and page compression information, byte for byte as SQL Server
// lays them out, for tests and benchmarks.

#include <cstdint>
#include <vector>

namespace portalmend::writer {

// One column of a compressed record.
struct CompressedValue {
  // Descriptor code: 0 null, 1 empty, 10 long, 12 dictionary index; any other code is derived
  // from the bytes (a short value of 1 to 8 bytes). Leave at 255 to derive.
  std::uint8_t code = 255;
  // Short or long value bytes, or the one-byte dictionary index for code 12.
  std::vector<std::uint8_t> bytes;
  // Long values only: marks a pointer off the row.
  bool complex = false;
};

struct CompressedRecordLayout {
  // Record type, bits 1-3 of status A.
  int record_type = 0;
  // Write a null bitmap (status A bit 4) marking the columns coded 0.
  bool null_bitmap = false;
  // Write a column count above 127 as a plain little-endian 16-bit value (only counts whose
  // bit 7 is set can be told apart this way) instead of the big-endian flagged form.
  bool little_endian_count = false;
};

// A compressed record of the given columns.
std::vector<std::uint8_t> CompressedRecord(const std::vector<CompressedValue>& columns,
                                           const CompressedRecordLayout& layout = {});

// A short value: the number's compressed form (big-endian, fewest bytes, bit 7 of the first
// byte set for values >= 0).
CompressedValue CompressedInteger(std::int64_t value);

// Short (up to 8 bytes) or long value of the given bytes.
CompressedValue CompressedBytes(const std::vector<std::uint8_t>& bytes);
CompressedValue CompressedText(const char* text);

// The compression information block that starts at page offset 96: flags, dictionary offset,
// size, the anchor record (when given) and the dictionary (when given).
std::vector<std::uint8_t> CompressionInfoBlock(const std::vector<std::uint8_t>* anchor_record,
                                               const std::vector<std::vector<std::uint8_t>>* dictionary);

// A page-compressed data page at position of object_id: type flag bit 0x80 set, the
// compression information block at offset 96 (outside the slot array), then the records,
// one slot each.
std::vector<std::uint8_t> CompressedPage(std::uint32_t position, std::int32_t object_id,
                                         const std::vector<std::uint8_t>& info_block,
                                         const std::vector<std::vector<std::uint8_t>>& records);

}  // namespace portalmend::writer
