#include "support/boot_page_writer.h"

#include "storage/boot_page.h"
#include "support/page_writer.h"

namespace portalmend::writer {

std::vector<std::uint8_t> boot_page(const BootPageFields& fields) {
  PageWriter writer;
  writer.header().page_type = 13;
  writer.header().object_id = 99;
  writer.header().page_number = fields.page_number;
  std::vector<std::uint8_t> page = writer.build();
  const std::span<std::uint8_t> bytes(page);
  put_u16(bytes, kBootVersionOffset, fields.version);
  put_u16(bytes, kBootCreateVersionOffset, fields.create_version);
  for (std::size_t i = 0; i < kBootNameUnits; ++i) {
    std::uint16_t unit = 0;
    if (i < fields.name.size()) {
      unit = static_cast<std::uint8_t>(fields.name[i]);
    } else if (fields.blank_padded) {
      unit = ' ';
    }
    put_u16(bytes, kBootNameOffset + 2 * i, unit);
  }
  put_u32(bytes, kBootCollationOffset, static_cast<std::uint32_t>(fields.collation_id));
  return page;
}

}  // namespace portalmend::writer
