#pragma once
// The database boot page: page 9 of the primary file (counted in the numbering the pages carry
// in their headers), holding the boot record with the database's version, name and collation.
//
// Boot record fields (offsets from the start of the page; the record's data begins at 100,
// after the 96-byte page header and the 4-byte record header):
//
//   page offset  width  field
//   100          2      internal version number (unsigned)
//   102          2      version the database was created with (unsigned)
//   148          208    database name: 104 UTF-16 code units, zero-terminated or blank-padded
//   488          4      collation id (signed)

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "storage/page.h"
#include "values/collation_table.h"

namespace portalmend {

class DatabaseFile;

inline constexpr std::size_t kBootVersionOffset = 100;
inline constexpr std::size_t kBootCreateVersionOffset = 102;
inline constexpr std::size_t kBootNameOffset = 148;
inline constexpr std::size_t kBootNameUnits = 104;
inline constexpr std::size_t kBootCollationOffset = 488;
// Where the boot page lies when the pages carry their own positions as numbers.
inline constexpr std::int32_t kBootPageNumber = 9;
// Text of a version number not in the table.
inline constexpr const char* kUnknownVersionText = "Unknown SQL Version";

// The text naming the server release that writes internal version `version` (with its
// leading blank, as shown after "Database version:"), or "Unknown SQL Version".
std::string version_text(std::uint16_t version);

// The database name as the boot page gives it: the low byte of each UTF-16 unit up to the first
// zero, cut before the first blank unless the name begins with one.
std::string boot_database_name(ByteReader name_units);

class CBootPage : public PrimaryRecordPage {
 public:
  // Decodes the boot record of the page in `buffer`; no record list is built.
  CBootPage(std::vector<std::uint8_t> buffer, const DatabaseFile* file);
  ~CBootPage() override;

  // Internal version number of the database.
  std::uint16_t version() const { return version_; }
  // Internal version number the database was created with.
  std::uint16_t create_version() const { return create_version_; }
  // The version text from the table ("Unknown SQL Version" for other numbers).
  const std::string& version_text() const { return version_text_; }
  // The database name (see boot_database_name).
  const std::string& database_name() const { return database_name_; }
  // The collation id of the database.
  std::int32_t collation_id() const { return collation_id_; }

 private:
  std::uint16_t version_ = 0;
  std::uint16_t create_version_ = 0;
  std::string version_text_;
  std::string database_name_;
  std::int32_t collation_id_ = 0;
};

// What locating and reading the boot page of a file found.
struct BootInfo {
  // Stored page number minus position of the first sysallocunits (or syscolpars) page.
  std::int64_t page_shift = 0;
  // Position in the file the boot page was read from.
  std::int64_t position = 0;
  std::uint16_t version = 0;
  std::uint16_t create_version = 0;
  std::string version_text;
  std::string database_name;
  std::int32_t collation_id = 0;
};

// Measures the page shift of the file: the number stored in the header of the first page mapped
// to sysallocunits (object 7), else syscolpars (object 41), minus that page's position; 0 when
// there is no such page or its header cannot be read.
std::int64_t measure_page_shift(const DatabaseFile& file);

// Chooses the database's collation from the table: automatically from the boot page's id (the
// full 32-bit value, sign-extended, and failing that its low 16 bits), or the id the user chose.
// On a hit `chosen` takes the id, name and code page and becomes known; on a miss it is left as
// it was. Returns whether a collation was chosen.
bool choose_collation(const CollationTable& table, std::int32_t boot_collation_id, bool automatic,
                      std::int64_t manual_id, ChosenCollation& chosen);

// Finds the boot page at position 9 - page shift and decodes it; nothing when that position is
// not a page of the file or cannot be read.
std::optional<BootInfo> read_boot_info(const DatabaseFile& file);

// Locates and reads the boot page of `file`: clears and then fills the file's database name,
// sets the application's database version text, and chooses the collation into `chosen` by the
// application's collation option (setting the application's collation name on a hit). When no
// boot page can be read the name stays empty and the rest as it was. Returns what was read.
std::optional<BootInfo> locate_and_read_boot_page(DatabaseFile& file, const CollationTable& table,
                                                  ChosenCollation& chosen);

}  // namespace portalmend
