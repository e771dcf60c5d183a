// portalmend-cli page FILE N [--file-id F] [--deleted] [--advanced-deleted]: the decoded header
// of one page and the records in its slots.

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/open_database.h"
#include "cli/allocation_listing.h"
#include "cli/record_listing.h"
#include "storage/app_settings.h"
#include "storage/page.h"

namespace portalmend::cli {

namespace {

constexpr const char kPageUsage[] =
    "usage: portalmend-cli page FILE N [--file-id F] [--deleted] [--advanced-deleted] [--verbose]";

int page_usage(const char* why) {
  std::fprintf(stderr, "portalmend-cli page: %s\n%s\n", why, kPageUsage);
  return 2;
}

}  // namespace

// Prints every field of a page header by name.
void print_page_header(const CPage_Header& h, std::FILE* out) {
  std::fprintf(out, "header version: %u\n", unsigned{h.header_version()});
  std::fprintf(out, "page type: %u\n", unsigned{h.page_type()});
  std::fprintf(out, "type flag bits: 0x%02X\n", unsigned{h.type_flag_bits()});
  std::fprintf(out, "level: %u\n", unsigned{h.level()});
  std::fprintf(out, "flag bits: 0x%04X\n", unsigned{h.flag_bits()});
  std::fprintf(out, "index id: %u\n", unsigned{h.index_id()});
  std::fprintf(out, "previous page: %d:%d\n", int{h.previous_file_id()}, h.previous_page_number());
  std::fprintf(out, "minimum record length: %u\n", unsigned{h.min_record_length()});
  std::fprintf(out, "next page: %d:%d\n", int{h.next_file_id()}, h.next_page_number());
  std::fprintf(out, "slot count: %u\n", unsigned{h.slot_count()});
  std::fprintf(out, "object id: %d\n", h.object_id());
  std::fprintf(out, "free count: %d\n", int{h.free_count()});
  std::fprintf(out, "free data offset: %u\n", unsigned{h.free_data_offset()});
  std::fprintf(out, "page number: %d\n", h.page_number());
  std::fprintf(out, "file id: %d\n", int{h.file_id()});
  std::fprintf(out, "reserved count: %u\n", unsigned{h.reserved_count()});
  std::fprintf(out, "LSN: %s\n", h.lsn_text().c_str());
  std::fprintf(out, "transaction reserved count: %u\n", unsigned{h.transaction_reserved_count()});
  std::fprintf(out, "transaction id: %s\n", h.transaction_id_text().c_str());
  std::fprintf(out, "ghost record count: %d\n", int{h.ghost_record_count()});
  std::fprintf(out, "torn bits: 0x%08X (%s)\n", h.torn_bits(), h.has_torn_bits() ? "restored" : "not used");
  std::fprintf(out, "consistent: %s\n", h.is_consistent() ? "yes" : "no");
}

int run_page(const Args& args) {
  std::vector<std::string> positional;
  long long file_id = kPrimaryFileId;
  bool verbose = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--file-id") {
      if (i + 1 >= args.size()) return page_usage("--file-id needs a value");
      const auto value = parse_integer(args[++i]);
      if (!value || *value < 0 || *value > 0xFFFF) return page_usage("--file-id takes a number from 0 to 65535");
      file_id = *value;
    } else if (arg == "--verbose" || arg == "-v") {
      verbose = true;
    } else if (arg == "--deleted") {
      theApp.show_deleted_records = 1;
    } else if (arg == "--advanced-deleted") {
      theApp.advanced_deleted_records = 1;
    } else if (arg.size() > 1 && arg[0] == '-' && !parse_integer(arg)) {
      return page_usage(("unknown option '" + arg + "'").c_str());
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.size() != 2) return page_usage("FILE and N are needed");
  const auto number = parse_integer(positional[1]);
  if (!number || *number < INT32_MIN || *number > INT32_MAX) return page_usage("N must be a page number");

  HeadlessFrame frame;
  const std::unique_ptr<DatabaseFile> db = open_database(positional[0], frame, verbose);
  if (!db) return 1;
  const PageAddress address{static_cast<std::uint16_t>(file_id), static_cast<std::int32_t>(*number)};
  if (address.file_id > kPrimaryFileId) db->register_folder_files();

  std::optional<CPage_Header> header;
  std::optional<PageBuffer> buffer;
  if (address.file_id == kPrimaryFileId && address.page_number == 0) {
    // The page readers serve pages from 1 on; the file header page is shown from the bytes.
    PageBuffer page(kPageBufferSize, 0);
    db->read_bytes(db->leading_offset(), page.data(), kPageSize);
    buffer = page;
    header = CPage_Header::Decode(page);
  } else {
    buffer = db->read_raw_page(address);
    header = db->read_page_header(address);
  }
  if (!header) {
    std::fprintf(stderr, "Page %d of file %u cannot be read: it lies outside the file or the file is unknown.\n",
                 address.page_number, unsigned{address.file_id});
    return 1;
  }
  std::printf("page %u:%d\n", unsigned{address.file_id}, address.page_number);
  print_page_header(*header, stdout);
  if (buffer) {
    // The deleted-record options reach the page through the settings, as in the desktop program.
    const PageBuffer raw = *buffer;
    const CDataPage page(std::move(*buffer), db.get(), ReadOptions::from_settings());
    print_page_records(stdout, page);
    print_page_contents(stdout, *header, raw, *db);
  }
  return 0;
}

}  // namespace portalmend::cli
