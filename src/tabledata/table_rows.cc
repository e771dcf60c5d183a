#include "tabledata/table_rows.h"

#include "storage/app_settings.h"
#include "storage/database_file.h"

namespace portalmend {

void TableRowConsumer::read_sharepoint_table(TableReader& reader, TableKind /*kind*/, PageSource source,
                                             PageAddress start) {
  show_records(reader, source, start);
}

bool EveryRowConsumer::show_records(TableReader& reader, PageSource source, PageAddress start) {
  reader.begin_progress();
  last_source_ = reader.build_page_list(source, start);
  bool shown = false;
  const std::vector<PageAddress>& pages = reader.page_list().pages;
  for (std::size_t p = 0; p < pages.size() && !stopped_ && !reader.aborted(); ++p) {
    for (const RowRecord& row : reader.read_page_rows(pages[p])) {
      if (row.empty()) continue;
      shown = true;
      ++rows_taken_;
      if (!callback_(row)) {
        stopped_ = true;
        break;
      }
    }
    reader.advance_progress();
  }
  reader.end_progress();
  return shown;
}

namespace {

// Standard mode, modern layout.
void modern_standard_selection(TableReader& reader, TableRowConsumer& consumer) {
  const TableSource& source = reader.source();
  const PageAddress first = source.first_page;
  const PageAddress iam = source.first_iam_page;
  if (iam.page_number <= 0) {
    consumer.show_records(reader, PageSource::kObjectPageList, PageAddress{});
    return;
  }
  if (source.index_id == 0) {
    if (reader.valid(iam)) {
      const bool shown = consumer.show_records(reader, PageSource::kAllocationChain, iam);
      if (!shown && reader.valid(first)) consumer.show_records(reader, PageSource::kPageChain, first);
    } else {
      consumer.show_records(reader, PageSource::kPageChain, first);
    }
    return;
  }
  if (!reader.valid(iam)) return;
  const TableKind kind = reader.settings().table_kind;
  if (kind == TableKind::kNone) {
    consumer.show_records(reader, PageSource::kAllocationChain, iam);
  } else {
    consumer.read_sharepoint_table(reader, kind, PageSource::kAllocationChain, iam);
  }
}

// Standard mode, 2000 layout: the table-kind flags are not consulted.
void legacy_standard_selection(TableReader& reader, TableRowConsumer& consumer) {
  const TableSource& source = reader.source();
  if (source.legacy_index_first_page) {
    consumer.show_records(reader, PageSource::kLegacyPageChain, *source.legacy_index_first_page);
    return;
  }
  const std::vector<PageRef>& iam_pages = reader.file().iam_pages(source.object_id);
  if (!iam_pages.empty() && reader.valid(iam_pages.front().address())) {
    consumer.show_records(reader, PageSource::kAllocationChain, iam_pages.front().address());
  }
}

}  // namespace

void read_table_rows(const DatabaseFile& file, const TableSource& source, const TableReadSettings& settings,
                     TablePageList& pages, TableRowConsumer& consumer, Frame* frame) {
  theApp.binary_placeholder_mode = settings.binary_placeholders ? 1 : 0;
  {
    TableReader reader(file, source, settings, pages, frame);
    if (!settings.advanced) {
      if (settings.read.legacy_catalog) {
        legacy_standard_selection(reader, consumer);
      } else {
        modern_standard_selection(reader, consumer);
      }
    } else if (settings.table_kind != TableKind::kNone) {
      consumer.read_sharepoint_table(reader, settings.table_kind, PageSource::kObjectPageList, PageAddress{});
    } else {
      consumer.show_records(reader, PageSource::kObjectPageList, PageAddress{});
    }
  }
  if (theApp.abort_flag) theApp.abort_flag = 0;
  theApp.binary_placeholder_mode = 0;
}

TableReadSettings TableReadSettings::from_settings(TableKind kind) {
  TableReadSettings settings;
  settings.advanced = theApp.advanced_mode();
  settings.binary_placeholders = true;
  settings.table_kind = kind;
  settings.read = ReadOptions::from_settings();
  return settings;
}

}  // namespace portalmend
