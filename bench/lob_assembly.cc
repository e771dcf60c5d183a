// Assembling a 100 MB varbinary(max) value from its text pages, against reading the same
// pages raw (one read_raw_page per page, in the same order).

#include <chrono>
#include <cstdio>
#include <set>
#include <vector>

#include "storage/database_file.h"
#include "storage/headless_frame.h"
#include "storage/text_page.h"
#include "support/data_file_writer.h"
#include "support/lob_writer.h"
#include "support/temp_dir.h"

using namespace portalmend;

namespace {

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

}  // namespace

int main() {
  constexpr std::size_t kValueSize = 100u * 1024 * 1024;
  std::vector<std::uint8_t> value(kValueSize);
  for (std::size_t i = 0; i < value.size(); ++i) value[i] = static_cast<std::uint8_t>((i * 131) >> 7);

  writer::LobPageSet pages(64);
  const auto entries = writer::WriteMaxValue(pages, value);
  writer::DataFileWriter file = writer::small_database(8);
  std::vector<PageAddress> order;
  for (const auto& [key, records] : pages.pages()) {
    file.set_page(static_cast<std::uint64_t>(key.second), writer::TextPage(key.second, records));
    order.push_back(PageAddress{key.first, key.second});
  }
  writer::TempDir dir;
  const std::string path = dir.file("lob_bench.mdf");
  if (!file.write(path)) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return 1;
  }
  HeadlessFrame frame;
  auto db = DatabaseFile::Open(path, frame);
  if (!db || !db->is_open()) {
    std::fprintf(stderr, "cannot open %s\n", path.c_str());
    return 1;
  }
  const std::vector<std::uint8_t> root = writer::InRowRoot(entries);

  // Warm the page cache once so that both runs read from memory.
  for (const PageAddress& a : order) (void)db->read_raw_page(a);

  const auto raw_start = std::chrono::steady_clock::now();
  std::size_t raw_bytes = 0;
  for (const PageAddress& a : order) {
    if (auto page = db->read_raw_page(a)) raw_bytes += page->size();
  }
  const double raw_seconds = Seconds(std::chrono::steady_clock::now() - raw_start);

  const auto lob_start = std::chrono::steady_clock::now();
  DatabaseLobSource source(*db);
  const LobValue assembled = LobAssembler(source).FromInRowRoot(ByteReader(root));
  const double lob_seconds = Seconds(std::chrono::steady_clock::now() - lob_start);

  if (assembled.bytes != value) {
    std::fprintf(stderr, "assembled value differs from the value written\n");
    return 1;
  }
  const double mb = static_cast<double>(kValueSize) / (1024.0 * 1024.0);
  std::printf("value: %.0f MB in %zu pages (%zu records read, %zu pages read)\n", mb, order.size(),
              assembled.records_read, source.pages_read());
  std::printf("raw page reads:   %8.1f MB/s of pages (%.3f s)\n", raw_bytes / (1024.0 * 1024.0) / raw_seconds,
              raw_seconds);
  std::printf("value assembly:   %8.1f MB/s of value (%.3f s)\n", mb / lob_seconds, lob_seconds);
  std::printf("assembly time / raw read time: %.2f\n", lob_seconds / raw_seconds);
  return 0;
}
