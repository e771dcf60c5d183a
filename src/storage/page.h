#pragma once
// Pages that hold records, and the class tree they share.
//
//   CPage                      root of every page class
//   └ RecordPage               header, raw buffer, slot array
//     └ PrimaryRecordPage      one CPrimaryRecord per slot, carving, compression information
//       ├ CDataPage            adds the per-row value lists the row readers fill
//       └ CBootPage            the database boot page (boot_page.h)
//
// Slot array (at the end of the page, growing backwards):
//
//   page offset     width  field
//   8190 - 2j       2      offset of the record in slot j, j = 0 .. slot count - 1
//
// A slot count of 0, or of 4000 and more, means the page has no usable slot array.
//
// Carving: with both deleted-record options on, the page body is walked from offset 96 for
// records that no slot points to any more. A deleted data row is recognised by its first four
// bytes 30 00 84 00 (or 3C 00 84 00 for a ghost): status A of a data record with null bitmap
// and variable columns, status B 0, fixed-length end 132.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "storage/byte_reader.h"
#include "storage/compression_info.h"
#include "storage/page_address.h"
#include "storage/page_header.h"
#include "storage/read_options.h"
#include "storage/record.h"

namespace portalmend {

class DatabaseFile;

// Offsets and limits of the slot array.
inline constexpr std::size_t kSlotArrayEnd = 8190;  // page offset of slot 0
inline constexpr int kMaxSlotArrayCount = 4000;     // a slot count at or above this is not believed
inline constexpr std::size_t kPageBodyOffset = 96;  // records start after the page header
inline constexpr std::size_t kForwardTargetLimit = 8096;  // a forwarding target slot offset above this is unusable
// The first four bytes of a deleted data row that carving looks for.
inline constexpr std::uint32_t kCarvePatternPrimary = 0x00840030;
inline constexpr std::uint32_t kCarvePatternGhost = 0x0084003C;

// Root of the page classes.
class CPage {
 public:
  virtual ~CPage();

 protected:
  CPage() = default;
};

// A page whose body is addressed through a slot array.
class RecordPage : public CPage {
 public:
  // Takes the page buffer (8192 bytes of page, usually followed by one zero byte), decodes its
  // header (putting torn-page bits back into the buffer) and reads its slot array.
  RecordPage(std::vector<std::uint8_t> buffer, const DatabaseFile* file);
  ~RecordPage() override;

  RecordPage(const RecordPage&) = delete;
  RecordPage& operator=(const RecordPage&) = delete;

  // The decoded page header.
  const CPage_Header& header() const { return header_; }
  // The raw page buffer (torn-page bits restored).
  const std::vector<std::uint8_t>& raw_buffer() const { return buffer_; }
  // The 8192 bytes of the page (fewer if the buffer is short): the bounds of every read.
  ByteReader page_bytes() const;
  // The file the page was read from, if any.
  const DatabaseFile* file() const { return file_; }
  // The slot array, or nothing when the slot count is 0 or not below 4000 (or after the
  // record list has replaced it).
  const std::optional<std::vector<std::uint16_t>>& slot_array() const { return slot_array_; }
  // Number of slots: the header's slot count, or the length of the slot array after carving.
  int slot_count() const { return slot_count_; }

 protected:
  // Where records of this page lie, for constructing them.
  RecordSite site(int forwarding_depth = 0) const;

  CPage_Header header_;
  std::vector<std::uint8_t> buffer_;
  const DatabaseFile* file_ = nullptr;
  std::optional<std::vector<std::uint16_t>> slot_array_;
  int slot_count_ = 0;
};

// A record page whose slots hold data or index records.
class PrimaryRecordPage : public RecordPage {
 public:
  // Builds the page with the record of every slot (and, with both deleted-record options on,
  // the records carved from space that no slot points to).
  PrimaryRecordPage(std::vector<std::uint8_t> buffer, const DatabaseFile* file, const ReadOptions& options);

  // Builds the page with only the record of slot `slot` (the target of a forwarding stub).
  static std::unique_ptr<PrimaryRecordPage> one_slot(std::vector<std::uint8_t> buffer, const DatabaseFile* file,
                                                     int slot, const ReadOptions& options,
                                                     int forwarding_depth = 1);

  // The bytes of the record in slot `slot` of the page at `address`, or nothing when the page
  // cannot be read or the slot holds no usable record.
  static std::optional<std::vector<std::uint8_t>> forwarded_record(const DatabaseFile& file, PageAddress address,
                                                                   int slot, int forwarding_depth,
                                                                   const ReadOptions& options);

  ~PrimaryRecordPage() override;

  // One entry per slot in slot order (carved records after the slotted ones); an entry is
  // empty when its slot holds nothing usable. A page built for one slot holds one entry.
  const std::vector<std::unique_ptr<CPrimaryRecord>>& records() const { return records_; }
  // Takes a record out of the page (it outlives the page).
  std::unique_ptr<CPrimaryRecord> release_record(std::size_t index);
  // Number of entries in the record list.
  std::size_t record_count() const { return records_.size(); }
  // Records decoded while carving (the walk's view of the page), owned by the page.
  const std::vector<CPrimaryRecord>& carved_records() const { return carved_records_; }
  // Frees the carved records (the table reader does so after each page).
  void release_carved_records();
  // Page offsets of the records in the record list, in the same order (0 for an entry that
  // was not built from a slot).
  const std::vector<std::uint16_t>& record_offsets() const { return record_offsets_; }
  // Number of records that carving added beyond the header's slot count.
  int carved_count() const { return carved_count_; }

  // The compression information (anchor record and dictionary) of a page-compressed page, or
  // nothing; the row readers pass it to the rebuild of compressed records.
  const std::optional<PageCompressionInfo>& compression_info() const { return compression_info_; }

 protected:
  enum class Build { kAllSlots, kNoRecords };
  PrimaryRecordPage(std::vector<std::uint8_t> buffer, const DatabaseFile* file, const ReadOptions& options,
                    Build build);

 private:
  // Walks the page body for records no slot points to and extends the slot array with them.
  void carve(const ReadOptions& options);
  // True when slot `index` at `offset` is to give an empty entry.
  bool slot_is_unusable(std::uint16_t offset, const ReadOptions& options) const;
  // Reads the compression information when the header announces one.
  void read_compression(const ReadOptions& options);
  // Builds the record at `offset`.
  std::unique_ptr<CPrimaryRecord> build_record(std::uint16_t offset, const ReadOptions& options, int depth);
  void build_records(const ReadOptions& options);

  std::vector<std::unique_ptr<CPrimaryRecord>> records_;
  std::vector<std::uint16_t> record_offsets_;
  std::vector<CPrimaryRecord> carved_records_;
  std::optional<PageCompressionInfo> compression_info_;
  int carved_count_ = 0;
};

// A data page: records plus the per-row value lists that the row readers fill.
class CDataPage : public PrimaryRecordPage {
 public:
  CDataPage(std::vector<std::uint8_t> buffer, const DatabaseFile* file, const ReadOptions& options);
  ~CDataPage() override;

  // One list of column value texts per record, filled by the row readers.
  std::vector<std::vector<std::string>>& row_values() { return row_values_; }
  const std::vector<std::vector<std::string>>& row_values() const { return row_values_; }

 private:
  std::vector<std::vector<std::string>> row_values_;
};

// Reads the page at `address` and builds a CDataPage with all its records, or nothing when the
// page cannot be read.
std::unique_ptr<CDataPage> read_data_page(const DatabaseFile& file, PageAddress address,
                                          const ReadOptions& options = ReadOptions::from_settings());

}  // namespace portalmend
