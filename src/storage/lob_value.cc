#include "storage/lob_value.h"

#include <algorithm>

namespace portalmend {
namespace {

std::uint64_t VisitKey(const LobLink& link) {
  return (std::uint64_t{link.file_id} << 48) | (std::uint64_t{static_cast<std::uint32_t>(link.page_number)} << 16) |
         link.slot;
}

}  // namespace

std::optional<LobLink> TextPointerLink(ByteReader pointer) {
  if (pointer.size() != LobAssembler::kTextPointerSize) return std::nullopt;
  LobLink link;
  link.page_number = *pointer.i32(LobAssembler::kTextPointerPageOffset);
  link.file_id = *pointer.u16(LobAssembler::kTextPointerPageOffset + 4);
  link.slot = *pointer.u16(LobAssembler::kTextPointerPageOffset + 6);
  return link;
}

std::vector<LobLink> InRowRootLinks(ByteReader value) {
  std::vector<LobLink> links;
  for (std::size_t at = LobAssembler::kInRowRootHeaderSize; value.has(at, LobAssembler::kInRowRootEntrySize);
       at += LobAssembler::kInRowRootEntrySize) {
    const std::int32_t size = *value.i32(at);
    if (size <= 0) continue;
    LobLink link;
    link.offset_or_size = static_cast<std::uint64_t>(size);
    link.page_number = *value.i32(at + 4);
    link.file_id = *value.u16(at + 8);
    link.slot = *value.u16(at + 10);
    if (link.file_id > LobAssembler::kHighestFileId) link.file_id = 1;
    links.push_back(link);
  }
  return links;
}

void LobAssembler::Walk(const LobLink& link, int depth, LobValue& out) {
  if ((limits_.stop && limits_.stop()) || depth > limits_.max_depth || !visited_.insert(VisitKey(link)).second) {
    out.complete = false;
    return;
  }
  std::optional<TextRecord> record = source_.ReadTextRecord(link);
  if (!record || !record->has_data()) {
    out.complete = false;
    return;
  }
  ++out.records_read;
  std::unique_ptr<LobStructureBase> structure = MakeLobStructure(std::move(*record));
  if (!structure) {
    out.complete = false;
    return;
  }
  const ByteReader data = structure->data();
  if (!data.empty()) {
    if (collect_) {
      out.pieces.push_back(data.to_vector());
    } else {
      out.bytes.insert(out.bytes.end(), data.data(), data.data() + data.size());
    }
  }
  for (const LobLink& child : structure->links()) Walk(child, depth + 1, out);
}

LobValue LobAssembler::FromLink(const LobLink& link) {
  LobValue out;
  Walk(link, 0, out);
  return out;
}

LobValue LobAssembler::FromTextPointer(ByteReader pointer) {
  auto link = TextPointerLink(pointer);
  if (!link) {
    LobValue out;
    out.complete = false;
    return out;
  }
  return FromLink(*link);
}

LobValue LobAssembler::FromInRowRoot(ByteReader value) {
  LobValue out;
  const std::vector<LobLink> links = InRowRootLinks(value);
  // The entries' sizes announce the value's length; reserving it spares the copies of a
  // growing buffer (bounded, since a damaged root may announce anything).
  std::uint64_t announced = 0;
  for (const LobLink& link : links) announced += link.offset_or_size;
  if (!collect_) out.bytes.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(announced, kMaxReserve)));
  for (const LobLink& link : links) Walk(link, 0, out);
  return out;
}

std::string TextFromTextPointer(LobPageSource& source, ByteReader pointer, const LobRenderOptions& options,
                                const LobWalkLimits& limits) {
  const LobValue value = LobAssembler(source, false, limits).FromTextPointer(pointer);
  std::string text = RenderLobBytes(ByteReader(value.bytes), options);
  return text.empty() ? " " : text;
}

std::string TextFromInRowRoot(LobPageSource& source, ByteReader value, const LobRenderOptions& options,
                              const LobWalkLimits& limits) {
  const LobValue assembled = LobAssembler(source, false, limits).FromInRowRoot(value);
  return RenderLobBytes(ByteReader(assembled.bytes), options);
}

}  // namespace portalmend
