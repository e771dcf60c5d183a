#pragma once
// The 96-byte header at the start of every 8192-byte page.
//
// Offset  Width  Field
//   0      1     header version
//   1      1     page type (1 data, 2 index, 10 IAM, 13 boot, 15 file header ...)
//   2      1     type flag bits (0x80: the page carries a compression information record)
//   3      1     level (index level; 0 for leaf pages)
//   4      2     flag bits (0x100: torn-page bits present, 0x200: checksum present)
//   6      2     index id
//   8      4     previous page: page number
//  12      2     previous page: file id
//  14      2     minimum record length
//  16      4     next page: page number
//  20      2     next page: file id
//  22      2     slot count
//  24      4     object id (signed)
//  28      2     free count
//  30      2     free data offset
//  32      4     page number (signed; the page's own number)
//  36      2     file id
//  38      2     reserved count
//  40      4     LSN part 1
//  44      4     LSN part 2
//  48      2     LSN part 3 (signed)
//  50      2     transaction reserved count
//  52      4     transaction id part 2
//  56      2     transaction id part 1 (signed)
//  58      2     ghost record count (signed)
//  60      4     torn bits
//  64     32     not read
//
// Torn-page detection: when flag bit 0x100 is set, the server replaced the two lowest
// bits of the last byte of every 512-byte sector 1..15 with a signature and saved the
// original bits in the torn bits field, bits 2k..2k+1 for sector k. Decoding puts them
// back into the page buffer before anything else on the page is read.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "storage/page_address.h"

namespace portalmend {

class CPage_Header {
 public:
  static constexpr std::size_t kHeaderSize = 96;

  static constexpr std::size_t kHeaderVersionOffset = 0;
  static constexpr std::size_t kPageTypeOffset = 1;
  static constexpr std::size_t kTypeFlagBitsOffset = 2;
  static constexpr std::size_t kLevelOffset = 3;
  static constexpr std::size_t kFlagBitsOffset = 4;
  static constexpr std::size_t kIndexIdOffset = 6;
  static constexpr std::size_t kPreviousPageOffset = 8;
  static constexpr std::size_t kPreviousFileIdOffset = 12;
  static constexpr std::size_t kMinRecordLengthOffset = 14;
  static constexpr std::size_t kNextPageOffset = 16;
  static constexpr std::size_t kNextFileIdOffset = 20;
  static constexpr std::size_t kSlotCountOffset = 22;
  static constexpr std::size_t kObjectIdOffset = 24;
  static constexpr std::size_t kFreeCountOffset = 28;
  static constexpr std::size_t kFreeDataOffsetOffset = 30;
  static constexpr std::size_t kPageNumberOffset = 32;
  static constexpr std::size_t kFileIdOffset = 36;
  static constexpr std::size_t kReservedCountOffset = 38;
  static constexpr std::size_t kLsnPart1Offset = 40;
  static constexpr std::size_t kLsnPart2Offset = 44;
  static constexpr std::size_t kLsnPart3Offset = 48;
  static constexpr std::size_t kTransactionReservedCountOffset = 50;
  static constexpr std::size_t kTransactionIdPart2Offset = 52;
  static constexpr std::size_t kTransactionIdPart1Offset = 56;
  static constexpr std::size_t kGhostRecordCountOffset = 58;
  static constexpr std::size_t kTornBitsOffset = 60;

  // Flag bit: the torn bits field holds the saved sector bits.
  static constexpr std::uint16_t kTornBitsFlag = 0x0100;
  // Type flag bit: the page carries a compression information record.
  static constexpr std::uint8_t kCompressionInfoFlag = 0x80;
  // Size of one sector guarded by a torn-page bit pair.
  static constexpr std::size_t kSectorSize = 512;
  // Highest slot count a page can hold.
  static constexpr int kMaxSlotCount = 8192;

  // Page types the engine acts on.
  static constexpr std::uint8_t kDataPage = 1;
  static constexpr std::uint8_t kIndexPage = 2;
  static constexpr std::uint8_t kIamPage = 10;

  CPage_Header() = default;
  virtual ~CPage_Header() = default;
  CPage_Header(const CPage_Header&) = default;
  CPage_Header& operator=(const CPage_Header&) = default;

  // Decodes the header at the start of page and, when the page carries torn-page bits,
  // restores the saved sector bits in page itself. A buffer shorter than the header
  // decodes as if the missing bytes were zero; restoration touches only bytes inside
  // page. Decoding the same buffer twice leaves it as decoding it once.
  static CPage_Header Decode(std::span<std::uint8_t> page);

  // Decodes the header without touching the page (for callers that only look at the header).
  static CPage_Header DecodeHeaderOnly(std::span<const std::uint8_t> page);

  // Restores the torn-page bits of page from torn_bits (only sectors 1..15 that lie in page).
  static void RestoreTornBits(std::span<std::uint8_t> page, std::uint32_t torn_bits);

  // Format version of the header.
  std::uint8_t header_version() const { return header_version_; }
  // Kind of page (1 data, 2 index, 10 IAM ...).
  std::uint8_t page_type() const { return page_type_; }
  // Bit 0x80: the page holds a compression information record.
  std::uint8_t type_flag_bits() const { return type_flag_bits_; }
  // Index level of the page; 0 for leaf pages.
  std::uint8_t level() const { return level_; }
  // Bit 0x100: torn-page bits present.
  std::uint16_t flag_bits() const { return flag_bits_; }
  // Index id of the allocation unit (not part of the object key of the page maps).
  std::uint16_t index_id() const { return index_id_; }
  // The previous page of the chain (file id, page number).
  std::int32_t previous_page_number() const { return previous_page_number_; }
  std::int16_t previous_file_id() const { return previous_file_id_; }
  // Length of the shortest record the page may hold.
  std::uint16_t min_record_length() const { return min_record_length_; }
  // The next page of the chain (file id, page number).
  std::int32_t next_page_number() const { return next_page_number_; }
  std::int16_t next_file_id() const { return next_file_id_; }
  // Number of entries in the slot array at the end of the page.
  std::uint16_t slot_count() const { return slot_count_; }
  // Object id that keys the page maps.
  std::int32_t object_id() const { return object_id_; }
  // Number of free bytes on the page.
  std::int16_t free_count() const { return free_count_; }
  // Offset of the first free byte after the records.
  std::uint16_t free_data_offset() const { return free_data_offset_; }
  // The page's own number as stored in its header.
  std::int32_t page_number() const { return page_number_; }
  // The page's own file id as stored in its header.
  std::int16_t file_id() const { return file_id_; }
  // Bytes reserved by open transactions.
  std::uint16_t reserved_count() const { return reserved_count_; }
  // The three parts of the log sequence number of the last change.
  std::uint32_t lsn_part1() const { return lsn_part1_; }
  std::uint32_t lsn_part2() const { return lsn_part2_; }
  std::int16_t lsn_part3() const { return lsn_part3_; }
  // Bytes reserved by the most recent transaction.
  std::uint16_t transaction_reserved_count() const { return transaction_reserved_count_; }
  // The two parts of the id of the transaction that last changed the page.
  std::int16_t transaction_id_part1() const { return transaction_id_part1_; }
  std::uint32_t transaction_id_part2() const { return transaction_id_part2_; }
  // Number of deleted (ghost) records still on the page.
  std::int16_t ghost_record_count() const { return ghost_record_count_; }
  // The saved sector bits (valid when flag bit 0x100 is set).
  std::uint32_t torn_bits() const { return torn_bits_; }

  // The previous and next page pointers as addresses (file id first).
  PageAddress previous_page() const;
  PageAddress next_page() const;

  // True when flag bit 0x100 says the page carries torn-page bits.
  bool has_torn_bits() const { return (flag_bits_ & kTornBitsFlag) != 0; }
  // True when type flag bit 0x80 says the page holds a compression information record.
  bool has_compression_info() const { return (type_flag_bits_ & kCompressionInfoFlag) != 0; }

  // The LSN as "( part1 : part2 : part3 )".
  const std::string& lsn_text() const { return lsn_text_; }
  // The transaction id as "( part1 : part2 )", the 16-bit part first.
  const std::string& transaction_id_text() const { return transaction_id_text_; }

  // True when the header can be trusted to build records from: at most 8192 slots and
  // no negative ghost count, free count, page pointer, page number or file id.
  bool is_consistent() const;

 private:
  std::uint8_t header_version_ = 0;
  std::uint8_t page_type_ = 0;
  std::uint8_t type_flag_bits_ = 0;
  std::uint8_t level_ = 0;
  std::uint16_t flag_bits_ = 0;
  std::uint16_t index_id_ = 0;
  std::int32_t previous_page_number_ = 0;
  std::int16_t previous_file_id_ = 0;
  std::uint16_t min_record_length_ = 0;
  std::int32_t next_page_number_ = 0;
  std::int16_t next_file_id_ = 0;
  std::uint16_t slot_count_ = 0;
  std::int32_t object_id_ = 0;
  std::int16_t free_count_ = 0;
  std::uint16_t free_data_offset_ = 0;
  std::int32_t page_number_ = 0;
  std::int16_t file_id_ = 0;
  std::uint16_t reserved_count_ = 0;
  std::uint32_t lsn_part1_ = 0;
  std::uint32_t lsn_part2_ = 0;
  std::int16_t lsn_part3_ = 0;
  std::uint16_t transaction_reserved_count_ = 0;
  std::uint32_t transaction_id_part2_ = 0;
  std::int16_t transaction_id_part1_ = 0;
  std::int16_t ghost_record_count_ = 0;
  std::uint32_t torn_bits_ = 0;
  std::string lsn_text_ = "( 0 : 0 : 0 )";
  std::string transaction_id_text_ = "( 0 : 0 )";
};

}  // namespace portalmend
