#include "storage/read_options.h"

#include "storage/app_settings.h"

namespace portalmend {

ReadOptions ReadOptions::from_settings() {
  ReadOptions options;
  options.show_deleted = theApp.show_deleted_records.load() != 0;
  options.advanced_deleted = theApp.advanced_deleted_records.load() != 0;
  options.legacy_catalog = theApp.legacy_catalog_flag.load() != 0;
  return options;
}

bool ReadOptions::aborted() const { return poll_abort && theApp.abort_flag.load() != 0; }

}  // namespace portalmend
