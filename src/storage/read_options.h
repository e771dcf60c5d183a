#pragma once
// The choices that change how records are read from a page: whether ghost (deleted) data
// records are shown, whether page space that no slot points to is searched for deleted rows,
// and whether the catalog is in the SQL Server 2000 layout (which has no compressed records).
//
// Pages and records take one snapshot of these choices when they are built, so a page is read
// consistently even while the user changes the settings; the abort flag alone is polled live.

namespace portalmend {

struct ReadOptions {
  // "Show deleted records": ghost data records are admitted as rows.
  bool show_deleted = false;
  // "Show Advanced Deleted records": with show_deleted, page space is carved for deleted rows.
  bool advanced_deleted = false;
  // The catalog is in the SQL Server 2000 layout: compressed-record steps are skipped.
  bool legacy_catalog = false;
  // Whether long loops poll the application's abort flag (tests may turn this off).
  bool poll_abort = true;

  // The current choices of the application settings.
  static ReadOptions from_settings();

  // True when the user asked to stop the current work.
  bool aborted() const;

  // True when both deleted-record options are on, so a page is carved.
  bool carving() const { return show_deleted && advanced_deleted; }
};

}  // namespace portalmend
