// Cost of building the catalog against the object mapping scan of the same file.
//
// With no argument, builds a database with the project's writer (2,000 user tables of 12
// columns each, so that the system tables fill a few thousand pages) in a temporary folder;
// with a path, uses that data file. Opens the file (alignment check and mapping scan) and
// builds its catalog, alternately and five times each, and prints the best times: the
// build per 1,000 catalog pages read, the mapping scan per 1,000 file pages, and their
// ratio (the build decodes every row of the pages it reads; the scan looks at headers).

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "catalog/catalog.h"
#include "storage/database_file.h"
#include "storage/headless_frame.h"
#include "support/catalog_writer.h"
#include "support/temp_dir.h"

namespace {

using namespace portalmend;

constexpr int kTables = 2000;
constexpr int kColumnsPerTable = 12;

double seconds_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool write_database(const std::string& path) {
  writer::CatalogDatabaseWriter database;
  for (int t = 0; t < kTables; ++t) {
    writer::TableSpec table;
    table.id = 1000000 + t * 16;
    table.name = "Table_" + std::to_string(t);
    for (int c = 0; c < kColumnsPerTable; ++c) {
      writer::TableColumnSpec column;
      column.name = "Column_" + std::to_string(c);
      column.system_type_id = c % 3 == 0 ? 231 : 56;
      column.max_length = c % 3 == 0 ? 100 : 4;
      table.columns.push_back(column);
    }
    database.add_table(table);
  }
  return database.write(path);
}

}  // namespace

int main(int argc, char** argv) {
  writer::TempDir dir;
  std::string path;
  if (argc > 1) {
    path = argv[1];
  } else {
    path = dir.file("catalog.mdf");
    std::printf("building a database of %d tables of %d columns in %s ...\n", kTables, kColumnsPerTable,
                dir.path().c_str());
    if (dir.path().empty() || !write_database(path)) {
      std::fprintf(stderr, "The benchmark file could not be written.\n");
      return 1;
    }
  }

  double best_scan = 1e9;
  double best_build = 1e9;
  std::uint64_t file_pages = 0;
  std::size_t catalog_pages = 0;
  std::size_t objects = 0;
  for (int round = 0; round < 5; ++round) {
    HeadlessFrame frame;
    const auto scan_start = std::chrono::steady_clock::now();
    auto file = DatabaseFile::Open(path, frame);
    best_scan = std::min(best_scan, seconds_since(scan_start));
    if (!file->is_open()) {
      std::fprintf(stderr, "%s could not be opened as a data file.\n", path.c_str());
      return 1;
    }
    const auto build_start = std::chrono::steady_clock::now();
    auto catalog = Catalog::Build(*file);
    best_build = std::min(best_build, seconds_since(build_start));
    file_pages = file->page_count();
    catalog_pages = 0;
    for (const auto& [table, pages] : catalog->system_page_reads()) catalog_pages += pages;
    objects = catalog->lists().objects.size();
  }
  if (catalog_pages == 0 || file_pages == 0) {
    std::fprintf(stderr, "The file has no catalog pages to read.\n");
    return 1;
  }
  const double build_per_1000 = best_build * 1000.0 / static_cast<double>(catalog_pages);
  const double scan_per_1000 = best_scan * 1000.0 / static_cast<double>(file_pages);
  std::printf("file: %llu pages; catalog: %zu pages read, %zu objects\n", static_cast<unsigned long long>(file_pages),
              catalog_pages, objects);
  std::printf("mapping scan (baseline): %.3f ms, %.3f ms per 1,000 file pages\n", best_scan * 1000.0,
              scan_per_1000 * 1000.0);
  std::printf("catalog build:           %.3f ms, %.3f ms per 1,000 catalog pages\n", best_build * 1000.0,
              build_per_1000 * 1000.0);
  std::printf("ratio build/scan per 1,000 pages: %.2f\n", build_per_1000 / scan_per_1000);
  return 0;
}
