#include "support/iam_writer.h"

#include <algorithm>

#include "support/page_writer.h"

namespace portalmend::writer {
namespace {

constexpr std::size_t kHeaderRecordFixed = 90;
constexpr std::uint8_t kIamPageType = 10;

void PutPointer(std::vector<std::uint8_t>& out, std::size_t at, const PageAddress& a) {
  put_u32(out, at, static_cast<std::uint32_t>(a.page_number));
  put_u16(out, at + 4, a.file_id);
}

// A record of status 0 whose fixed data is `fixed`, followed by a zero column count.
std::vector<std::uint8_t> FixedRecord(const std::vector<std::uint8_t>& fixed) {
  std::vector<std::uint8_t> record(4 + fixed.size() + 2, 0);
  put_u16(record, 2, static_cast<std::uint16_t>(4 + fixed.size()));
  std::copy(fixed.begin(), fixed.end(), record.begin() + 4);
  return record;
}

}  // namespace

std::vector<std::uint8_t> IamPage(const IamPageContents& c) {
  PageWriter page = standard_page(c.position, c.object_id, kIamPageType, static_cast<std::int16_t>(c.file_id));
  page.header().index_id = c.index_id;
  page.header().next_page_number = c.next.page_number;
  page.header().next_file_id = static_cast<std::int16_t>(c.next.file_id);
  std::vector<std::uint8_t> header(kHeaderRecordFixed, 0);
  PutPointer(header, 36, c.start_page);
  for (std::size_t i = 0; i < c.single_pages.size() && i < 8; ++i) PutPointer(header, 42 + 6 * i, c.single_pages[i]);
  page.add_record(FixedRecord(header));
  std::vector<std::uint8_t> bitmap(c.bitmap_bytes, 0);
  for (std::size_t e : c.extents) {
    if (e / 8 < bitmap.size()) bitmap[e / 8] = static_cast<std::uint8_t>(bitmap[e / 8] | (1u << (e % 8)));
  }
  page.add_record(FixedRecord(bitmap));
  return page.build();
}

}  // namespace portalmend::writer
