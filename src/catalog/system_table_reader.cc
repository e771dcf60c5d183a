#include "catalog/system_table_reader.h"

#include <algorithm>

#include "storage/app_settings.h"
#include "storage/database_file.h"
#include "storage/page.h"
#include "storage/record.h"

namespace portalmend {

namespace {

constexpr std::uint8_t kDataPageType = 1;

bool aborted() { return theApp.abort_flag.load() != 0; }

}  // namespace

RowPieces row_pieces_of(const CPrimaryRecord& record) {
  RowPieces row;
  if (record.fixed_data()) row.fixed = ByteReader(*record.fixed_data());
  row.column_count = record.column_count();
  for (const VariableValue& value : record.variable_values()) {
    if (value.bytes) {
      const std::size_t length = std::min<std::size_t>(static_cast<std::size_t>(std::max(value.length, 0)),
                                                       value.bytes->size());
      row.variable.emplace_back(ByteReader(value.bytes->data(), length));
    } else {
      row.variable.emplace_back(std::nullopt);
    }
  }
  return row;
}

std::size_t read_system_table(const DatabaseFile& file, const SystemTableRead& table,
                              const std::function<void(const RowPieces&, const PageRef&)>& on_row,
                              const std::function<void()>& after_page) {
  std::size_t pages_read = 0;
  for (const PageRef& ref : file.system_pages(table.object_id)) {
    if (aborted()) break;
    if (table.data_pages_only && ref.page_type != kDataPageType) continue;
    std::unique_ptr<CDataPage> page = read_data_page(file, ref.address());
    ++pages_read;
    if (!page) continue;
    const std::size_t slots = std::min<std::size_t>(static_cast<std::size_t>(std::max(page->slot_count(), 0)),
                                                    page->record_count());
    for (std::size_t slot = 0; slot < slots; ++slot) {
      if (aborted()) break;
      const CPrimaryRecord* record = page->records()[slot].get();
      if (!record || record->rejected() || !record->fixed_data()) continue;
      if (record->record_type() == kBlobFragment) continue;
      if (table.skip_index_records && record->record_type() == kIndexRecord) continue;
      on_row(row_pieces_of(*record), ref);
    }
    if (after_page) after_page();
  }
  return pages_read;
}

}  // namespace portalmend
