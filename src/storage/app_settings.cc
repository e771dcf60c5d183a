#include "storage/app_settings.h"

namespace portalmend {

CQuillonLedgerlineProjApp theApp;

void CQuillonLedgerlineProjApp::reset() {
  busy_flag = 0;
  abort_flag = 0;
  recovery_option = kCompleteDatabase;
  recovery_mode = 0;
  legacy_catalog_flag = 0;
  show_deleted_records = 0;
  advanced_deleted_records = 0;
  binary_placeholder_mode = 0;
  collation_automatic = 1;
  collation_manual_id = 0;
  chosen_collation.reset();
  database_version.clear();
  collation_name.clear();
  selected_data_file.clear();
  log_folder.clear();
  log_file_path.clear();
  log_file.reset();
  output_line_counter = 0;
}

}  // namespace portalmend
