// Throughput of the object mapping scan against a plain sequential read of the same file.
//
// Builds a data file of 1 GiB (131072 pages) with the project's writer in a temporary
// folder, reads it once so that it sits in the page cache, then times, alternately and
// three times each, (a) a plain loop of 8192-byte reads over the whole file and (b)
// opening the file as a database (alignment check and mapping scan). Prints the best time
// of each, their ratio, and the memory the page maps hold per page.
//
// Goal: scan throughput at least 0.8 of the plain read, at most 16 bytes of map per page.

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "storage/database_file.h"
#include "storage/headless_frame.h"
#include "support/page_writer.h"
#include "support/temp_dir.h"

namespace {

using namespace portalmend;

constexpr std::uint64_t kPages = 131072;  // 1 GiB

// Object and type of page p: allocation pages, system tables in the first extents, then
// runs of data pages of 64 user objects with an IAM page per 4096 pages and some unused
// pages.
void page_kind(std::uint64_t p, std::int32_t& object, std::uint8_t& type) {
  if (p < 10) {
    object = 99;
    type = p == 9 ? 13 : 11;
  } else if (p < 200) {
    object = static_cast<std::int32_t>(3 + p % 40);
    type = 1;
  } else if (p % 4096 == 0) {
    object = static_cast<std::int32_t>(1000003 + (p / 2048) % 64);
    type = 10;
  } else if (p % 97 == 0) {
    object = 0;
    type = 0;
  } else {
    object = static_cast<std::int32_t>(1000003 + (p / 2048) % 64);
    type = 1;
  }
}

bool write_file(const std::string& path) {
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return false;
  bool ok = true;
  for (std::uint64_t p = 0; p < kPages && ok; ++p) {
    std::int32_t object = 0;
    std::uint8_t type = 0;
    page_kind(p, object, type);
    writer::PageWriter page = writer::standard_page(static_cast<std::uint32_t>(p), object, type);
    if (type == 1) page.add_record(std::vector<std::uint8_t>(100, static_cast<std::uint8_t>(p)));
    const std::vector<std::uint8_t> bytes = page.build();
    ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  }
  return std::fclose(out) == 0 && ok;
}

double seconds_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Reads the whole file in 8192-byte blocks; returns seconds.
double plain_read(const std::string& path) {
  const auto start = std::chrono::steady_clock::now();
  const int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) return -1;
  std::vector<std::uint8_t> block(kPageSize);
  std::uint64_t sum = 0;
  for (;;) {
    const ssize_t got = ::read(fd, block.data(), block.size());
    if (got <= 0) break;
    sum += block[24];  // look at the header as the scan does
  }
  ::close(fd);
  const double elapsed = seconds_since(start);
  if (sum == 1) std::printf(" ");
  return elapsed;
}

}  // namespace

int main() {
  writer::TempDir dir;
  const std::string path = dir.file("bench.mdf");
  std::printf("building a %llu-page file (%.1f GiB) in %s ...\n", static_cast<unsigned long long>(kPages),
              static_cast<double>(kPages * kPageSize) / (1u << 30), dir.path().c_str());
  if (dir.path().empty() || !write_file(path)) {
    std::fprintf(stderr, "The benchmark file could not be written.\n");
    return 1;
  }
  plain_read(path);  // into the page cache

  double best_plain = 1e9;
  double best_scan = 1e9;
  std::size_t map_bytes = 0;
  std::uint64_t pages = 0;
  for (int round = 0; round < 3; ++round) {
    best_plain = std::min(best_plain, plain_read(path));
    HeadlessFrame frame;
    const auto start = std::chrono::steady_clock::now();
    auto db = DatabaseFile::Open(path, frame);
    best_scan = std::min(best_scan, seconds_since(start));
    if (!db->is_open()) {
      std::fprintf(stderr, "The benchmark file did not open.\n");
      return 1;
    }
    map_bytes = db->page_map_memory();
    pages = db->page_count();
  }
  const double mib = static_cast<double>(kPages * kPageSize) / (1 << 20);
  const double ratio = best_plain / best_scan;
  const double per_page = static_cast<double>(map_bytes) / static_cast<double>(pages);
  std::printf("plain sequential 8 KiB read: %8.1f MiB/s (%.3f s)\n", mib / best_plain, best_plain);
  std::printf("mapping scan (open):         %8.1f MiB/s (%.3f s)\n", mib / best_scan, best_scan);
  std::printf("ratio scan / plain read:     %8.2f  (goal >= 0.80) %s\n", ratio, ratio >= 0.8 ? "met" : "NOT MET");
  std::printf("page map memory per page:    %8.2f bytes (goal <= 16) %s\n", per_page, per_page <= 16 ? "met" : "NOT MET");
  return 0;
}
