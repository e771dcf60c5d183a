#pragma once
// The collation table: SQL Server collation id to collation name and the code page in
// which 8-bit text (char, varchar, text) of that collation is stored.
//
// It is read once at start-up from "collation.txt" in the folder of the executable.
// File layout, one collation per line, no header line, 8-bit text:
//
//   | field | meaning                                                       |
//   |-------|---------------------------------------------------------------|
//   | 1     | collation name, up to the first tab                           |
//   | 2     | collation id in decimal (signed 32-bit, as stored on disk)    |
//   | 3     | code page in decimal (0 for a Unicode-only collation)         |
//
// Fields are separated by one tab; line ends (LF or CRLF) are removed. A line that is
// empty or lacks either tab is skipped. A later line with the same id replaces the
// earlier one. A missing or unreadable file leaves the table empty.

#include <cstdint>
#include <istream>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace portalmend {

// The name of the collation file looked for beside the executable.
inline constexpr char kCollationFileName[] = "collation.txt";

// The code page used for 8-bit text when no collation says otherwise (Windows-1252).
inline constexpr std::int32_t kSystemAnsiCodePage = 1252;

struct CollationEntry {
  std::string name;              // Collation name, e.g. Latin1_General_CI_AS.
  std::int32_t code_page = 0;    // Code page of 8-bit text; 0 for Unicode-only collations.

  bool operator==(const CollationEntry&) const = default;
};

class CollationTable {
 public:
  using Map = std::map<std::int64_t, CollationEntry>;

  // Reads the collation file at `path`. Never fails: a file that cannot be opened leaves
  // the table empty and returns false; otherwise returns true (even when no line was usable).
  bool load_file(const std::string& path);

  // Reads "collation.txt" from the folder of the running executable.
  bool load_beside_executable();

  // Reads collation lines from a stream; lines that are malformed are skipped.
  void load_stream(std::istream& in);

  // Applies one line of the collation file (line end already removed or not).
  // Returns true when the line gave an entry.
  bool add_line(std::string_view line);

  // The entry stored under `id`, or nothing.
  const CollationEntry* find(std::int64_t id) const;

  // Entries in ascending id order (for lists offered to the user).
  const Map& entries() const { return entries_; }

  std::size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  void clear() { entries_.clear(); }

 private:
  Map entries_;
};

// The collation the open database uses, as chosen from its boot page or by the user.
struct ChosenCollation {
  bool known = false;                             // Set once a collation was found.
  std::int64_t id = -1;                           // Collation id, sign-extended.
  std::int32_t code_page = kSystemAnsiCodePage;   // Code page of its 8-bit text.
  std::string name;                               // Collation name.

  // Takes the id, name and code page of a table entry and marks the collation known.
  void choose(std::int64_t chosen_id, const CollationEntry& entry);
  // Back to the state before any file was opened.
  void reset() { *this = ChosenCollation(); }
};

// The folder of the running executable, with a trailing '/', or empty when unknown.
std::string executable_folder();

// Converts the leading decimal integer of `text` the way C's atoi does: leading white
// space and one sign are allowed, conversion stops at the first other character, and no
// digits give 0. The result is taken modulo 2^32 as a signed 32-bit value, so that an id
// written unsigned (3422552072) and signed (-872415224) give the same key.
std::int32_t parse_leading_int32(std::string_view text);

}  // namespace portalmend
