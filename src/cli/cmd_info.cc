// portalmend-cli info FILE: what opening the file found.

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "cli/commands.h"
#include "cli/open_database.h"
#include "cli/record_listing.h"
#include "storage/boot_page.h"
#include "values/collation_table.h"

namespace portalmend::cli {

namespace {

constexpr const char kInfoUsage[] = "usage: portalmend-cli info FILE [--verbose]";

std::size_t page_total(const PageMap& map) {
  std::size_t total = 0;
  for (const auto& [id, pages] : map) total += pages.size();
  return total;
}

}  // namespace

// Prints the summary of an opened data file (also the demo's output).
void print_file_summary(const DatabaseFile& db, std::FILE* out) {
  std::fprintf(out, "file: %s\n", db.path().c_str());
  std::fprintf(out, "file size: %llu bytes\n", static_cast<unsigned long long>(db.file_size()));
  std::fprintf(out, "page count: %llu\n", static_cast<unsigned long long>(db.page_count()));
  std::fprintf(out, "leading offset: %llu\n", static_cast<unsigned long long>(db.leading_offset()));
  std::fprintf(out, "extent count: %llu\n", static_cast<unsigned long long>(db.extent_count()));
  const std::pair<const char*, const PageMap*> maps[] = {
      {"system page map", &db.system_page_map()},
      {"data page map", &db.data_page_map()},
      {"IAM page map", &db.iam_page_map()},
  };
  for (const auto& [name, map] : maps) {
    std::fprintf(out, "%s: %zu pages under %zu object ids\n", name, page_total(*map), map->size());
  }

  std::vector<std::pair<std::int32_t, std::size_t>> largest;
  for (const auto& [id, pages] : db.system_page_map()) largest.emplace_back(id, pages.size());
  std::stable_sort(largest.begin(), largest.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
  if (largest.size() > 10) largest.resize(10);
  std::fprintf(out, "object ids with most pages in the system page map:\n");
  for (const auto& [id, count] : largest) std::fprintf(out, "  %11d  %zu pages\n", id, count);

  for (const auto& [id, file] : db.secondary_files()) {
    std::fprintf(out, "secondary file %d: %s (%llu pages, leading offset %d)\n", id, file.path.c_str(),
                 static_cast<unsigned long long>(file.page_count), file.leading_offset);
  }
}

int run_info(const Args& args) {
  std::string path;
  bool verbose = false;
  for (const std::string& arg : args) {
    if (arg == "--verbose" || arg == "-v") {
      verbose = true;
    } else if (!arg.empty() && arg[0] == '-') {
      std::fprintf(stderr, "portalmend-cli info: unknown option '%s'\n%s\n", arg.c_str(), kInfoUsage);
      return 2;
    } else if (path.empty()) {
      path = arg;
    } else {
      std::fprintf(stderr, "portalmend-cli info: one FILE only\n%s\n", kInfoUsage);
      return 2;
    }
  }
  if (path.empty()) {
    std::fprintf(stderr, "portalmend-cli info: FILE is missing\n%s\n", kInfoUsage);
    return 2;
  }
  HeadlessFrame frame;
  const std::unique_ptr<DatabaseFile> db = open_database(path, frame, verbose);
  if (!db) return 1;
  print_file_summary(*db, stdout);
  CollationTable collations;
  collations.load_beside_executable();
  print_boot_info(stdout, read_boot_info(*db), collations);
  return 0;
}

}  // namespace portalmend::cli
