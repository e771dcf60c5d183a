#pragma once
// The primary data file (.mdf) of one scan, its secondary files (.ndf) and its page maps.
//
// Opening measures the file, settles where page 0 starts (the leading offset: either 0
// or the file size mod 8192, when extra bytes precede the pages), and scans every page
// once, filing it under the object id in its header:
//
//   system page map  object id <= 100 (0 and negative included)  {file id, position, page type}
//   data page map    object id > 0 and page type 1               {file id, position, 1}
//   IAM page map     object id > 0 and page type 10              {file id, position, 10}
//
// Afterwards it serves single pages by address. Nothing is ever written to a data file.
// Progress and errors go to the frame as messages (UM_PROGRESS_RANGE, UM_PROGRESS_POS,
// UM_STATUS_TEXT, UM_FATAL_ERROR); both scans end early when the abort flag is set.
//
// Page header fields read by the scans (offsets within the page):
//   1  1  page type
//  24  4  object id (signed)
//  32  4  page number (the page's own number; alignment check)
//  36  2  file id

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "storage/frame.h"
#include "storage/page_address.h"
#include "storage/page_header.h"
#include "storage/read_only_file.h"

namespace portalmend {

class Catalog;

// A raw page as handed out by the readers: kPageBufferSize bytes, the page in the first
// 8192 and zeros after it (and in place of bytes the file did not have).
using PageBuffer = std::vector<std::uint8_t>;

// Object id to the pages filed under it, in the order the scan met them.
using PageMap = std::map<std::int32_t, std::vector<PageRef>>;

// A secondary data file known for the database.
struct SecondaryFile {
  // The file's id in page addresses.
  std::int32_t file_id = 0;
  // Logical name as listed by the catalog (empty for a file found in the folder).
  std::string logical_name;
  // Local path of the file.
  std::string path;
  std::uint64_t file_size = 0;
  std::uint64_t page_count = 0;
  // Byte offset of page 0 in the file.
  std::int32_t leading_offset = 0;
};

// A file of the database as the catalog lists it.
struct ListedFile {
  std::int32_t file_id = 0;
  std::string logical_name;
  // The path the server stored, e.g. "D:\\Data\\WSS_Content_2.ndf".
  std::string physical_name;
};

class DatabaseFile {
 public:
  // Texts sent to the frame.
  static constexpr const char kCannotOpenText[] = "File cannot be open...........";
  static constexpr const char kNotValidText[] =
      "Wheteher File is not valid mdf file or file is highly corrupted...........";
  static constexpr const char kAlignmentStartText[] = "Checking for file corruption ...........";
  static constexpr const char kAlignmentDoneText[] = "Checking for file corruption is done...........";
  static constexpr const char kMappingStartText[] = "Mapping Database Objects...........";
  static constexpr const char kMappingDoneText[] = "Mapping of Database Objects has been done ......................";

  // Page header offsets read by the scans.
  static constexpr std::size_t kPageTypeOffset = CPage_Header::kPageTypeOffset;
  static constexpr std::size_t kObjectIdOffset = CPage_Header::kObjectIdOffset;
  static constexpr std::size_t kPageNumberOffset = CPage_Header::kPageNumberOffset;
  static constexpr std::size_t kFileIdOffset = CPage_Header::kFileIdOffset;

  // Highest object id filed in the system page map.
  static constexpr std::int32_t kMaxSystemObjectId = 100;

  // Opens path read-only and runs the alignment check and the object mapping scan,
  // reporting to frame. Always returns an object; is_open() says whether it is usable.
  // A stop request (abort flag) seen during opening is cleared at its end.
  static std::unique_ptr<DatabaseFile> Open(const std::string& path, Frame& frame);

  DatabaseFile(const DatabaseFile&) = delete;
  DatabaseFile& operator=(const DatabaseFile&) = delete;
  ~DatabaseFile();

  // True when the file was opened and its mapping scan found at least one system page
  // that is a page of this file (allocated, carrying its own position as page number).
  bool is_open() const { return open_; }
  // Full path of the primary file.
  const std::string& path() const { return path_; }
  // Length of the primary file in bytes.
  std::uint64_t file_size() const { return file_size_; }
  // Number of whole 8192-byte pages in the file.
  std::uint64_t page_count() const { return page_count_; }
  // Byte offset of page 0: 0, or file size mod 8192 when extra bytes precede the pages.
  std::uint64_t leading_offset() const { return leading_offset_; }
  // Page count / 8.
  std::uint64_t extent_count() const { return extent_count_; }
  // Database name from the boot page; empty until the boot page was read.
  const std::string& database_name() const { return database_name_; }
  void set_database_name(std::string name) { database_name_ = std::move(name); }
  // The catalog built on this file (not owned).
  Catalog* catalog() const { return catalog_; }
  void set_catalog(Catalog* catalog) { catalog_ = catalog; }
  // Receiver of progress and error messages.
  Frame& frame() const { return *frame_; }

  // The three page maps (filled by opening and by registering secondary files).
  const PageMap& system_page_map() const { return system_pages_; }
  const PageMap& data_page_map() const { return data_pages_; }
  const PageMap& iam_page_map() const { return iam_pages_; }
  // The pages filed under object_id in one map; empty when the id is not present.
  const std::vector<PageRef>& system_pages(std::int32_t object_id) const;
  const std::vector<PageRef>& data_pages(std::int32_t object_id) const;
  const std::vector<PageRef>& iam_pages(std::int32_t object_id) const;
  // Bytes of memory held by the three maps (entries, lists and map nodes).
  std::size_t page_map_memory() const;

  // ---- Page readers ----------------------------------------------------------------
  // Every reader refuses (returns nothing) file id 0, an unknown secondary file id, a page
  // number of 0 or below or above the file's page count, and a position beyond the file.

  // A new buffer of kPageBufferSize bytes holding the page (zeros where the file ends), or
  // nothing. The bytes are exactly as on disk: torn-page bits are not yet restored
  // (CPage_Header::Decode does that on the buffer).
  std::optional<PageBuffer> read_raw_page(PageAddress address) const;

  // The decoded header of the page, or nothing.
  std::optional<CPage_Header> read_page_header(PageAddress address) const;

  // The decoded header of the page; the page itself (torn bits restored) stays with this
  // object as its last page buffer until the next call. Nothing when the page cannot be
  // read (the last page buffer is then empty).
  std::optional<CPage_Header> read_header_with_buffer(PageAddress address);
  // The buffer of the last read_header_with_buffer (empty when it failed).
  const PageBuffer& last_page_buffer() const { return last_page_buffer_; }
  // Hands the last page buffer to the caller, leaving it empty.
  PageBuffer take_last_page_buffer() { return std::move(last_page_buffer_); }

  // ---- Secondary files -------------------------------------------------------------
  // Secondary files by file id.
  const std::map<std::int32_t, SecondaryFile>& secondary_files() const { return secondary_files_; }

  // Registers the listed files with a file id above 1: each is looked for in the primary
  // file's folder under the listed name (after its last backslash, up to its last dot)
  // with ".ndf"; its pages are scanned and filed under the listed file id. Files that
  // cannot be opened, hold no whole page or whose id is already known are skipped.
  // Returns the entries registered.
  std::vector<SecondaryFile> register_listed_files(const std::vector<ListedFile>& files);

  // Registers every "*.ndf" file in the primary file's folder (in name order): each is
  // measured, aligned and scanned. Its file id is the file id stored in the first page
  // that carries its own position as page number and a file id above 1; a file without
  // such a page, or whose id is already known, is not registered and leaves the maps
  // unchanged. Returns the entries registered (the caller adds them to its list of files).
  std::vector<SecondaryFile> register_folder_files();

  // Reads at most length bytes of the primary file at offset (zeros where it ends); for
  // diagnostics of the bytes around the pages.
  std::size_t read_bytes(std::uint64_t offset, std::uint8_t* out, std::size_t length) const;

 private:
  struct ScanRules;
  struct ScanResult;

  DatabaseFile(std::string path, Frame& frame);
  void open();
  std::uint64_t alignment_check(const ReadOnlyFile& file, std::uint64_t page_count, std::uint64_t remainder);
  ScanResult mapping_scan(const ReadOnlyFile& file, std::uint64_t page_count, std::uint64_t leading_offset,
                          const ScanRules& rules, PageMap& system, PageMap& data, PageMap& iam);
  std::string primary_folder() const;
  static void merge(PageMap& into, PageMap&& from);

  std::string path_;
  Frame* frame_;
  std::optional<ReadOnlyFile> file_;
  std::uint64_t file_size_ = 0;
  std::uint64_t page_count_ = 0;
  std::uint64_t leading_offset_ = 0;
  std::uint64_t extent_count_ = 0;
  std::string database_name_;
  PageMap system_pages_;
  PageMap data_pages_;
  PageMap iam_pages_;
  std::map<std::int32_t, SecondaryFile> secondary_files_;
  Catalog* catalog_ = nullptr;
  bool open_ = false;
  PageBuffer last_page_buffer_;
};

}  // namespace portalmend
