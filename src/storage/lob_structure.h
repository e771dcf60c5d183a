#pragma once
// The structures of a large-object tree, one per text-page record, by structure type.
//
// Offsets within the record's large-object data (L = data length - 10):
// | Type    | Class            | Body                                                            |
// |---------|------------------|-----------------------------------------------------------------|
// | 0       | SmallRoot        | 10: 16-bit length n (1 to 8192); 16: n bytes of data           |
// | 2       | Internal         | 12: 16-bit link count; 16: links of 16 bytes: 8-byte offset,    |
// |         |                  | 4-byte page number, 2-byte file id, 2-byte slot                 |
// | 3       | LobSData         | 10: the data itself, L bytes                                    |
// | 4, 5, 6 | LargeRootYukon   | 12: 16-bit link count; 20: links of 12 bytes: 4-byte size,     |
// |         |                  | 4-byte page number, 2-byte file id, 2-byte slot (L above 16)    |
// | other   | (none)           | no value                                                        |
//
// Leaves (small root, data) carry bytes; nodes (internal, large root) carry links to other
// records. Links are read only where they lie wholly inside the record.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "storage/byte_reader.h"
#include "storage/lob_render.h"
#include "storage/text_record.h"

namespace portalmend {

enum LobStructureType : std::uint16_t {
  kLobSmallRoot = 0,
  kLobLargeRoot = 1,
  kLobInternal = 2,
  kLobData = 3,
  kLobLargeRootYukon4 = 4,
  kLobLargeRootYukon = 5,
  kLobLargeRootYukon6 = 6,
};

// A pointer from one large-object record (or a row) to another record.
struct LobLink {
  // Internal nodes: the cumulative offset of the linked part's end; large roots and in-row
  // roots: the size of the linked part.
  std::uint64_t offset_or_size = 0;
  std::int32_t page_number = 0;
  std::uint16_t file_id = 0;
  std::uint16_t slot = 0;
};

class LobStructureBase {
 public:
  explicit LobStructureBase(std::uint16_t type, std::uint64_t blob_id) : type_(type), blob_id_(blob_id) {}
  virtual ~LobStructureBase() = default;

  // The structure type of the record.
  std::uint16_t type() const { return type_; }
  // The id shared by the records of one value.
  std::uint64_t blob_id() const { return blob_id_; }
  // A leaf's bytes (empty for nodes).
  virtual ByteReader data() const { return {}; }
  // A node's links (empty for leaves).
  virtual const std::vector<LobLink>& links() const;
  // This record's own bytes as text / as hex digits; nodes render empty (their value is the
  // value of their children, assembled by the walk in lob_value.h).
  virtual std::string RenderText(const LobRenderOptions& options) const;
  virtual std::string RenderHex() const;

 private:
  std::uint16_t type_;
  std::uint64_t blob_id_;
};

class SmallRoot : public LobStructureBase {
 public:
  static constexpr std::size_t kLengthOffset = 10;
  static constexpr std::size_t kDataOffset = 16;
  static constexpr std::size_t kMaxLength = 8192;
  explicit SmallRoot(std::vector<std::uint8_t> record_data);
  ByteReader data() const override;

 private:
  std::vector<std::uint8_t> record_data_;
  std::size_t length_ = 0;
};

class LobSData : public LobStructureBase {
 public:
  static constexpr std::size_t kDataOffset = 10;
  LobSData(std::vector<std::uint8_t> record_data, int data_length);
  ByteReader data() const override;

 private:
  std::vector<std::uint8_t> record_data_;
  std::size_t length_ = 0;
};

class Internal : public LobStructureBase {
 public:
  static constexpr std::size_t kLinkCountOffset = 12;
  static constexpr std::size_t kLinksOffset = 16;
  static constexpr std::size_t kLinkSize = 16;
  explicit Internal(const std::vector<std::uint8_t>& record_data);
  const std::vector<LobLink>& links() const override { return links_; }

 private:
  std::vector<LobLink> links_;
};

class LargeRootYukon : public LobStructureBase {
 public:
  static constexpr std::size_t kLinkCountOffset = 12;
  static constexpr std::size_t kLinksOffset = 20;
  static constexpr std::size_t kLinkSize = 12;
  LargeRootYukon(const std::vector<std::uint8_t>& record_data, int data_length);
  const std::vector<LobLink>& links() const override { return links_; }

 private:
  std::vector<LobLink> links_;
};

// The structure of a text record by its type, or nothing for a type without a value. The
// record's data is moved into the structure.
std::unique_ptr<LobStructureBase> MakeLobStructure(TextRecord&& record);

// Name of a structure type as shown by the page command ("SMALL_ROOT", "DATA" ...).
const char* LobStructureTypeName(std::uint16_t type);

}  // namespace portalmend
