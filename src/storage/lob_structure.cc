#include "storage/lob_structure.h"

namespace portalmend {
namespace {

const std::vector<LobLink> kNoLinks;

std::vector<LobLink> ReadLinks(ByteReader data, std::size_t count_offset, std::size_t first,
                               std::size_t size, bool with_offset) {
  std::vector<LobLink> links;
  const std::uint16_t count = data.u16_or(count_offset);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t at = first + i * size;
    if (!data.has(at, size)) break;
    LobLink link;
    std::size_t p = at;
    if (with_offset) {
      link.offset_or_size = *data.u64(p);
      p += 8;
    } else {
      link.offset_or_size = *data.u32(p);
      p += 4;
    }
    link.page_number = *data.i32(p);
    link.file_id = *data.u16(p + 4);
    link.slot = *data.u16(p + 6);
    links.push_back(link);
  }
  return links;
}

}  // namespace

const std::vector<LobLink>& LobStructureBase::links() const { return kNoLinks; }

std::string LobStructureBase::RenderText(const LobRenderOptions& options) const {
  return RenderLobBytes(data(), options);
}

std::string LobStructureBase::RenderHex() const { return HexDigits(data()); }

SmallRoot::SmallRoot(std::vector<std::uint8_t> record_data)
    : LobStructureBase(kLobSmallRoot, ByteReader(record_data).u64_or(TextRecord::kBlobIdOffset)),
      record_data_(std::move(record_data)) {
  const std::size_t n = ByteReader(record_data_).u16_or(kLengthOffset);
  if (n >= 1 && n <= kMaxLength && ByteReader(record_data_).has(kDataOffset, n)) length_ = n;
}

ByteReader SmallRoot::data() const { return ByteReader(record_data_).clamp(kDataOffset, length_); }

LobSData::LobSData(std::vector<std::uint8_t> record_data, int data_length)
    : LobStructureBase(kLobData, ByteReader(record_data).u64_or(TextRecord::kBlobIdOffset)),
      record_data_(std::move(record_data)) {
  if (data_length > 0 && static_cast<std::size_t>(data_length) <= 8192) length_ = static_cast<std::size_t>(data_length);
}

ByteReader LobSData::data() const { return ByteReader(record_data_).clamp(kDataOffset, length_); }

Internal::Internal(const std::vector<std::uint8_t>& record_data)
    : LobStructureBase(kLobInternal, ByteReader(record_data).u64_or(TextRecord::kBlobIdOffset)),
      links_(ReadLinks(ByteReader(record_data), kLinkCountOffset, kLinksOffset, kLinkSize, true)) {}

LargeRootYukon::LargeRootYukon(const std::vector<std::uint8_t>& record_data, int data_length)
    : LobStructureBase(kLobLargeRootYukon, ByteReader(record_data).u64_or(TextRecord::kBlobIdOffset)) {
  if (data_length > 16) {
    links_ = ReadLinks(ByteReader(record_data), kLinkCountOffset, kLinksOffset, kLinkSize, false);
  }
}

std::unique_ptr<LobStructureBase> MakeLobStructure(TextRecord&& record) {
  // Short leaves are kept (the last piece of a value may hold a few bytes); every structure
  // reads only what lies inside its record.
  const int length = record.data_length();
  switch (record.structure_type()) {
    case kLobSmallRoot:
      return std::make_unique<SmallRoot>(std::move(record.mutable_data()));
    case kLobData:
      return std::make_unique<LobSData>(std::move(record.mutable_data()), length);
    case kLobInternal:
      return std::make_unique<Internal>(record.data());
    case kLobLargeRootYukon4:
    case kLobLargeRootYukon:
    case kLobLargeRootYukon6:
      return std::make_unique<LargeRootYukon>(record.data(), length);
    default:
      return nullptr;
  }
}

const char* LobStructureTypeName(std::uint16_t type) {
  switch (type) {
    case kLobSmallRoot: return "SMALL_ROOT";
    case kLobLargeRoot: return "LARGE_ROOT";
    case kLobInternal: return "INTERNAL";
    case kLobData: return "DATA";
    case kLobLargeRootYukon4: return "LARGE_ROOT_SHILOH";
    case kLobLargeRootYukon: return "LARGE_ROOT_YUKON";
    case kLobLargeRootYukon6: return "SUPER_LARGE_ROOT";
    case TextRecord::kUnusableType: return "UNUSABLE";
    default: return "UNKNOWN";
  }
}

}  // namespace portalmend
