#include "support/lob_writer.h"

#include <algorithm>

#include "support/page_writer.h"

namespace portalmend::writer {
namespace {

// Status A of a large-object fragment: record type 3 in bits 1-3.
constexpr std::uint8_t kLobStatusA = 0x03 << 1;
// Bytes a page offers to records: 8192 minus header (96) and some slots.
constexpr std::size_t kPageRoom = 8060;

void Put(Bytes& out, std::uint64_t v, int width) {
  for (int i = 0; i < width; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void PutAddress(Bytes& out, const RecordAddress& a) {
  Put(out, static_cast<std::uint32_t>(a.page_number), 4);
  Put(out, a.file_id, 2);
  Put(out, a.slot, 2);
}

}  // namespace

Bytes TextRecordBytes(std::uint64_t blob_id, std::uint16_t type, const Bytes& body) {
  Bytes out;
  out.push_back(kLobStatusA);
  out.push_back(0);
  Put(out, 4 + 10 + body.size(), 2);
  Put(out, blob_id, 8);
  Put(out, type, 2);
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

Bytes SmallRootRecord(std::uint64_t blob_id, const Bytes& data) {
  Bytes body;
  Put(body, data.size(), 2);
  Put(body, 0, 4);  // bytes 12-15 of the large-object data
  body.insert(body.end(), data.begin(), data.end());
  return TextRecordBytes(blob_id, kSmallRootType, body);
}

Bytes DataRecord(std::uint64_t blob_id, const Bytes& data) { return TextRecordBytes(blob_id, kDataType, data); }

Bytes InternalRecord(std::uint64_t blob_id, const std::vector<WriterLink>& links, std::uint16_t level) {
  Bytes body;
  Put(body, links.size(), 2);  // most links
  Put(body, links.size(), 2);  // links in use
  Put(body, level, 2);
  for (const WriterLink& link : links) {
    Put(body, link.offset_or_size, 8);
    PutAddress(body, link.target);
  }
  return TextRecordBytes(blob_id, kInternalType, body);
}

Bytes LargeRootRecord(std::uint64_t blob_id, const std::vector<WriterLink>& links, std::uint16_t type) {
  Bytes body;
  Put(body, links.size(), 2);  // most links
  Put(body, links.size(), 2);  // links in use
  Put(body, 0, 6);             // level and unused bytes up to offset 20
  for (const WriterLink& link : links) {
    Put(body, link.offset_or_size, 4);
    PutAddress(body, link.target);
  }
  return TextRecordBytes(blob_id, type, body);
}

Bytes TextPointer(const RecordAddress& root, std::uint64_t timestamp) {
  Bytes out;
  Put(out, timestamp, 8);
  PutAddress(out, root);
  return out;
}

Bytes InRowRoot(const std::vector<WriterLink>& entries, std::uint8_t complex_id) {
  Bytes out = {complex_id, 0, 0, 0};
  Put(out, 0, 8);  // update sequence and timestamp
  for (const WriterLink& e : entries) {
    Put(out, e.offset_or_size, 4);
    PutAddress(out, e.target);
  }
  return out;
}

std::vector<std::uint8_t> TextPage(std::int32_t page_number, const std::vector<Bytes>& records,
                                   std::int32_t object_id, std::uint16_t file_id,
                                   std::optional<std::int32_t> stored_page_number) {
  PageWriter page = standard_page(static_cast<std::uint32_t>(page_number), object_id, 3,
                                  static_cast<std::int16_t>(file_id));
  if (stored_page_number) page.header().page_number = *stored_page_number;
  for (const Bytes& record : records) page.add_record(record);
  return page.build();
}

RecordAddress LobPageSet::Add(const Bytes& record) {
  if (current_page_ < 0 || current_used_ + record.size() + 2 > kPageRoom) {
    current_page_ = next_page_++;
    current_used_ = 0;
  }
  auto& records = pages_[{file_id_, current_page_}];
  records.push_back(record);
  current_used_ += record.size() + 2;
  return RecordAddress{file_id_, current_page_, static_cast<std::uint16_t>(records.size() - 1)};
}

RecordAddress LobPageSet::AddAlone(const Bytes& record) {
  const std::int32_t page = next_page_++;
  pages_[{file_id_, page}].push_back(record);
  current_page_ = -1;
  return RecordAddress{file_id_, page, 0};
}

void LobPageSet::Replace(const RecordAddress& at, const Bytes& record) {
  pages_[{at.file_id, at.page_number}].at(at.slot) = record;
}

namespace {

std::vector<WriterLink> WriteDataRecords(LobPageSet& pages, const Bytes& value, std::uint64_t blob_id,
                                         bool cumulative) {
  std::vector<WriterLink> links;
  for (std::size_t at = 0; at < value.size(); at += kLobDataPerRecord) {
    const std::size_t n = std::min(kLobDataPerRecord, value.size() - at);
    const Bytes part(value.begin() + static_cast<std::ptrdiff_t>(at), value.begin() + static_cast<std::ptrdiff_t>(at + n));
    const RecordAddress where = n > kLobDataPerRecord / 2 ? pages.AddAlone(DataRecord(blob_id, part))
                                                          : pages.Add(DataRecord(blob_id, part));
    links.push_back({cumulative ? at + n : n, where});
  }
  return links;
}

// Internal nodes over data links (cumulative offsets), each with at most kLinksPerInternal.
std::vector<WriterLink> WriteInternalLevel(LobPageSet& pages, const std::vector<WriterLink>& data_links,
                                           std::uint64_t blob_id) {
  std::vector<WriterLink> nodes;
  std::uint64_t before = 0;
  for (std::size_t i = 0; i < data_links.size(); i += kLinksPerInternal) {
    const std::size_t n = std::min(kLinksPerInternal, data_links.size() - i);
    const std::vector<WriterLink> group(data_links.begin() + static_cast<std::ptrdiff_t>(i),
                                        data_links.begin() + static_cast<std::ptrdiff_t>(i + n));
    const RecordAddress where = pages.Add(InternalRecord(blob_id, group));
    const std::uint64_t end = group.back().offset_or_size;
    nodes.push_back({end - before, where});
    before = end;
  }
  return nodes;
}

}  // namespace

RecordAddress WriteLobTree(LobPageSet& pages, const Bytes& value, LobShape shape, std::uint64_t blob_id) {
  switch (shape) {
    case LobShape::kSmallRoot:
      return pages.Add(SmallRootRecord(blob_id, value));
    case LobShape::kLargeRoot: {
      // The root gets a page of its own, so that its links can grow in place.
      const RecordAddress root = pages.AddAlone(LargeRootRecord(blob_id, {}));
      pages.Replace(root, LargeRootRecord(blob_id, WriteDataRecords(pages, value, blob_id, false)));
      return root;
    }
    case LobShape::kInternalTree: {
      const RecordAddress root = pages.AddAlone(LargeRootRecord(blob_id, {}));
      const auto nodes = WriteInternalLevel(pages, WriteDataRecords(pages, value, blob_id, true), blob_id);
      pages.Replace(root, LargeRootRecord(blob_id, nodes));
      return root;
    }
  }
  return {};
}

std::vector<WriterLink> WriteMaxValue(LobPageSet& pages, const Bytes& value, std::uint64_t blob_id) {
  const auto data_links = WriteDataRecords(pages, value, blob_id, true);
  if (data_links.size() <= 5) {
    std::vector<WriterLink> entries;
    std::uint64_t before = 0;
    for (const WriterLink& link : data_links) {
      entries.push_back({link.offset_or_size - before, link.target});
      before = link.offset_or_size;
    }
    return entries;
  }
  return WriteInternalLevel(pages, data_links, blob_id);
}

}  // namespace portalmend::writer
