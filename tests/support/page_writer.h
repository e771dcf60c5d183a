#pragma once
// Builds 8192-byte pages byte by byte: a 96-byte header, records from byte 96 on, and the
// slot array growing down from the end of the page. Optionally applies torn-page
// protection the way the server does, so that tests can check its restoration.
//
// Every header field can be set, including values a healthy page never has (negative
// pointers, 9000 slots), to build exactly the damage a test needs.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace portalmend::writer {

inline constexpr std::size_t kWriterPageSize = 8192;
inline constexpr std::size_t kWriterHeaderSize = 96;

// Little-endian stores into a byte span; a store that does not fit is dropped.
void put_u8(std::span<std::uint8_t> bytes, std::size_t offset, std::uint8_t value);
void put_u16(std::span<std::uint8_t> bytes, std::size_t offset, std::uint16_t value);
void put_u32(std::span<std::uint8_t> bytes, std::size_t offset, std::uint32_t value);
void put_u64(std::span<std::uint8_t> bytes, std::size_t offset, std::uint64_t value);

// The fields of a page header. Counts left empty are derived from the records added.
struct PageHeaderFields {
  std::uint8_t header_version = 1;
  std::uint8_t page_type = 1;
  std::uint8_t type_flag_bits = 0;
  std::uint8_t level = 0;
  std::uint16_t flag_bits = 0;
  std::uint16_t index_id = 0;
  std::int32_t previous_page_number = 0;
  std::int16_t previous_file_id = 0;
  std::uint16_t min_record_length = 0;
  std::int32_t next_page_number = 0;
  std::int16_t next_file_id = 0;
  std::optional<std::uint16_t> slot_count;  // default: number of slots added
  std::int32_t object_id = 0;
  std::optional<std::int16_t> free_count;   // default: bytes between records and slot array
  std::optional<std::uint16_t> free_data_offset;  // default: end of the last record
  std::int32_t page_number = 0;
  std::int16_t file_id = 1;
  std::uint16_t reserved_count = 0;
  std::uint32_t lsn_part1 = 0;
  std::uint32_t lsn_part2 = 0;
  std::int16_t lsn_part3 = 0;
  std::uint16_t transaction_reserved_count = 0;
  std::uint32_t transaction_id_part2 = 0;
  std::int16_t transaction_id_part1 = 0;
  std::int16_t ghost_record_count = 0;
  std::uint32_t torn_bits = 0;  // written as given; build_torn() computes its own
};

// Writes the header fields into the first 64 bytes of page (counts must be set).
void write_page_header(std::span<std::uint8_t> page, const PageHeaderFields& fields);

// Protects a finished page the way the server does with torn-page detection: the two low
// bits of the last byte of sectors 1..15 are saved into a torn bits value (bits 2k..2k+1)
// and replaced by signature (2 bits, also kept in bits 0..1); flag bit 0x100 and the torn
// bits field are set in the header. Returns the torn bits value.
std::uint32_t apply_torn_bits(std::span<std::uint8_t> page, std::uint8_t signature = 1);

class PageWriter {
 public:
  PageWriter() = default;
  explicit PageWriter(const PageHeaderFields& fields) : fields_(fields) {}

  PageHeaderFields& header() { return fields_; }
  const PageHeaderFields& header() const { return fields_; }

  // Appends a record's bytes after the previous record and a slot pointing at it;
  // returns the slot index.
  int add_record(std::span<const std::uint8_t> record);
  int add_record(const std::vector<std::uint8_t>& record) { return add_record(std::span<const std::uint8_t>(record)); }
  // Adds a slot with any offset (a slot into free space, past the page, or 0).
  int add_slot(std::uint16_t offset);
  // Writes bytes at offset when the page is built (after records, before the slot array),
  // e.g. a record that no slot points at.
  void put_bytes(std::size_t offset, std::span<const std::uint8_t> bytes);
  // Offset where the next record would start.
  std::size_t next_record_offset() const { return kWriterHeaderSize + records_.size(); }
  // Number of slots added.
  std::size_t slot_count() const { return slots_.size(); }

  // The finished page.
  std::vector<std::uint8_t> build() const;
  // The finished page with torn-page protection applied (see apply_torn_bits).
  std::vector<std::uint8_t> build_torn(std::uint8_t signature = 1) const;

 private:
  PageHeaderFields fields_;
  std::vector<std::uint8_t> records_;
  std::vector<std::uint16_t> slots_;
  std::vector<std::pair<std::size_t, std::vector<std::uint8_t>>> patches_;
};

// A page of type page_type owned by object_id that carries its own position and file id.
PageWriter standard_page(std::uint32_t position, std::int32_t object_id, std::uint8_t page_type,
                         std::int16_t file_id = 1);

}  // namespace portalmend::writer
