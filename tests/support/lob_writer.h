#pragma once
// Writes large-object records and trees the way SQL Server lays them out on text pages:
// records of each structure type, text pointers, in-row roots and row-overflow pointers, and
// whole trees for a value of any length.

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace portalmend::writer {

using Bytes = std::vector<std::uint8_t>;

// Structure types of large-object records.
inline constexpr std::uint16_t kSmallRootType = 0;
inline constexpr std::uint16_t kInternalType = 2;
inline constexpr std::uint16_t kDataType = 3;
inline constexpr std::uint16_t kLargeRootType = 5;

// Most data bytes one data record carries on a page.
inline constexpr std::size_t kLobDataPerRecord = 8040;
// Most links one internal record carries.
inline constexpr std::size_t kLinksPerInternal = 480;

// Where a record lies.
struct RecordAddress {
  std::uint16_t file_id = 1;
  std::int32_t page_number = 0;
  std::uint16_t slot = 0;
};

// A link from a node to a record: the size (large roots, in-row roots) or the cumulative end
// offset (internal nodes) of the part below it.
struct WriterLink {
  std::uint64_t offset_or_size = 0;
  RecordAddress target;
};

// A text record of any structure type around the given body (the bytes after blob id and type).
Bytes TextRecordBytes(std::uint64_t blob_id, std::uint16_t type, const Bytes& body);
Bytes SmallRootRecord(std::uint64_t blob_id, const Bytes& data);
Bytes DataRecord(std::uint64_t blob_id, const Bytes& data);
Bytes InternalRecord(std::uint64_t blob_id, const std::vector<WriterLink>& links, std::uint16_t level = 0);
Bytes LargeRootRecord(std::uint64_t blob_id, const std::vector<WriterLink>& links, std::uint16_t type = kLargeRootType);

// The 16-byte text pointer of text, ntext and image columns.
Bytes TextPointer(const RecordAddress& root, std::uint64_t timestamp = 0);
// An in-row root of a max-type column (complex id 4) or a row-overflow pointer (complex id 2).
Bytes InRowRoot(const std::vector<WriterLink>& entries, std::uint8_t complex_id = 4);

// Text pages being filled: records per page in slot order.
class LobPageSet {
 public:
  explicit LobPageSet(std::int32_t first_page = 100, std::uint16_t file_id = 1)
      : next_page_(first_page), file_id_(file_id) {}

  // Places a record on the current page (starting a new page when it does not fit).
  RecordAddress Add(const Bytes& record);
  // Places a record on a page of its own.
  RecordAddress AddAlone(const Bytes& record);
  // Replaces a record already placed.
  void Replace(const RecordAddress& at, const Bytes& record);

  // Pages by (file id, page number): their records in slot order.
  const std::map<std::pair<std::uint16_t, std::int32_t>, std::vector<Bytes>>& pages() const { return pages_; }

 private:
  std::map<std::pair<std::uint16_t, std::int32_t>, std::vector<Bytes>> pages_;
  std::int32_t next_page_;
  std::int32_t current_page_ = -1;
  std::size_t current_used_ = 0;
  std::uint16_t file_id_;
};

// A text page (type 3) at page_number of file_id owned by object_id holding records in slot
// order; the header stores stored_page_number when given (a page shifted against its position).
std::vector<std::uint8_t> TextPage(std::int32_t page_number, const std::vector<Bytes>& records,
                                   std::int32_t object_id = 77, std::uint16_t file_id = 1,
                                   std::optional<std::int32_t> stored_page_number = std::nullopt);

// How a value's tree is shaped.
enum class LobShape {
  kSmallRoot,      // one small root record (values up to 8000 bytes)
  kLargeRoot,      // a large root linking data records
  kInternalTree,   // a large root linking internal nodes linking data records
};

// Writes a value's tree into pages; returns the root record's address.
RecordAddress WriteLobTree(LobPageSet& pages, const Bytes& value, LobShape shape, std::uint64_t blob_id = 1);

// Writes a value for a max-type column: data records under internal nodes when needed; returns
// the in-row root entries (complex id 4 value = InRowRoot(entries)).
std::vector<WriterLink> WriteMaxValue(LobPageSet& pages, const Bytes& value, std::uint64_t blob_id = 1);

}  // namespace portalmend::writer
