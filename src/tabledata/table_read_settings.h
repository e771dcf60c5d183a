#pragma once
// The choices one table read follows, taken once at its start from the application settings
// (or set by a caller such as the command-line tool).

#include "storage/read_options.h"

namespace portalmend {

// Which SharePoint table is being read (the scan driver sets one of these while it reads the
// sites, lists and documents tables); kNone for any other table.
enum class TableKind { kNone, kDocuments, kSites, kLists };

struct TableReadSettings {
  // Advanced recovery mode: pages come from the mapping scan instead of the allocation chains.
  bool advanced = false;
  // Large binary values show "<BINARY DATA>" / "<BIG BINARY DATA>" while rows are shown.
  bool binary_placeholders = true;
  TableKind table_kind = TableKind::kNone;
  // Deleted-record options, legacy layout flag and abort polling for the page and record readers.
  ReadOptions read;

  // The current choices of the application settings.
  static TableReadSettings from_settings(TableKind kind = TableKind::kNone);
};

}  // namespace portalmend
