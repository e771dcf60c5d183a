#pragma once
// The application-wide settings and shared flags of one running program.
//
// There is one instance, theApp. The flags that the interface thread and a worker thread
// both touch (busy, abort, the options the readers consult) are atomics; the texts are
// written by the settings dialog and the scan driver while no worker reads them (the busy
// flag keeps workers one at a time).

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "values/collation_table.h"

namespace portalmend {

class CQuillonLedgerlineProjApp {
 public:
  // Recovery options.
  static constexpr std::int32_t kCompleteDatabase = 1;
  static constexpr std::int32_t kDocuments = 2;
  // Recovery mode value for Advanced; every other value means Standard.
  static constexpr std::int32_t kAdvancedMode = 2;

  CQuillonLedgerlineProjApp() = default;
  CQuillonLedgerlineProjApp(const CQuillonLedgerlineProjApp&) = delete;
  CQuillonLedgerlineProjApp& operator=(const CQuillonLedgerlineProjApp&) = delete;

  // Puts every setting back to its start value and closes the log file (for tests and
  // for a fresh start of the command-line tool).
  void reset();

  // True when the recovery mode is Advanced.
  bool advanced_mode() const { return recovery_mode.load() == kAdvancedMode; }

  // 1 while a scan or a view worker runs; refuses a second worker.
  std::atomic<std::int32_t> busy_flag{0};
  // Set by Stop; every long loop polls it and ends early, keeping what it has.
  std::atomic<std::uint8_t> abort_flag{0};
  // 1: complete database recovery (objects tree), 2: document recovery (SharePoint tree).
  std::atomic<std::int32_t> recovery_option{kCompleteDatabase};
  // 2: Advanced, anything else: Standard.
  std::atomic<std::int32_t> recovery_mode{0};
  // 1 when the catalog is in the SQL Server 2000 layout.
  std::atomic<std::uint8_t> legacy_catalog_flag{0};
  // "Show deleted records".
  std::atomic<std::uint8_t> show_deleted_records{0};
  // "Show Advanced Deleted records".
  std::atomic<std::uint8_t> advanced_deleted_records{0};
  // 1 while table rows are read for display: large binary values show a placeholder.
  std::atomic<std::uint8_t> binary_placeholder_mode{0};
  // Collation choice: 1 for automatic detection, 0 for the manual id below.
  std::atomic<std::uint8_t> collation_automatic{1};
  // Collation id chosen by hand (upper 32 bits 0).
  std::atomic<std::int64_t> collation_manual_id{0};
  // The collation of the open database (from its boot page or chosen by hand); decides the
  // code page of 8-bit text. Written by the boot page reader before any worker reads rows.
  ChosenCollation chosen_collation;
  // Collation id to name and code page, read from collation.txt once at start-up and not
  // changed afterwards (reset() keeps it).
  CollationTable collation_table;

  // Database version text (from the boot page), e.g. "SQL Server 2008".
  std::string database_version;
  // Name of the database's collation.
  std::string collation_name;
  // The .mdf file chosen for the scan.
  std::string selected_data_file;
  // Folder of the log files, ending in a path separator.
  std::string log_folder;
  // Full path of the log file of the last Open; empty before.
  std::string log_file_path;
  // The open log file (owned), or empty.
  struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  std::unique_ptr<std::FILE, FileCloser> log_file;
  // Index at which the next line is inserted into the output list.
  std::atomic<std::int32_t> output_line_counter{0};
};

// The one application object.
extern CQuillonLedgerlineProjApp theApp;

}  // namespace portalmend
