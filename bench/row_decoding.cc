// Rows decoded to text per second, on a table of one million rows of mixed types, against the
// mapping scan (opening) of the same file measured in the same run.
//
// usage: bench_row_decoding [ROWS]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "storage/app_settings.h"
#include "storage/database_file.h"
#include "storage/headless_frame.h"
#include "support/data_file_writer.h"
#include "support/page_writer.h"
#include "support/record_writer.h"
#include "support/temp_dir.h"
#include "tabledata/table_rows.h"
#include "values/type_code.h"

using namespace portalmend;

namespace {

constexpr std::int32_t kObject = 811000;
constexpr std::uint32_t kFirstDataPage = 32;

// id int @4, big bigint @8, price money @16, stamp datetime @24, guid uniqueidentifier @32,
// ratio float @48, flag bit @56, then name nvarchar and code varchar.
ColumnDescriptionList columns() {
  struct Spec {
    const char* name;
    const char* type_text;
    std::uint32_t code;
    std::int16_t leaf;
  };
  const Spec specs[] = {
      {"id", "int(4)", kTypeInt, 4},          {"big", "bigint(8)", kTypeBigint, 8},
      {"price", "money(8)", kTypeMoney, 16},  {"stamp", "datetime(8)", kTypeDatetime, 24},
      {"guid", "uniqueidentifier(16)", kTypeUniqueidentifier, 32},
      {"ratio", "float(8)", kTypeFloat, 48},  {"flag", "bit(1)", kTypeBit, 56},
      {"name", "nvarchar(64)", kTypeNvarchar, -1}, {"code", "varchar(32)", kTypeVarchar, -2},
  };
  ColumnDescriptionList list;
  std::int32_t id = 1;
  for (const Spec& s : specs) {
    ColumnDescription c = make_column_description(s.name, s.type_text, s.code);
    c.column_id = c.physical_column_id = id;
    c.null_bit = id++;
    c.has_position = 1;
    c.leaf_offset = s.leaf;
    list.push_back(c);
  }
  return list;
}

std::vector<std::uint8_t> record(std::uint32_t n) {
  writer::RecordSpec desc;
  desc.fixed.assign(53, 0);
  writer::put_u32(desc.fixed, 0, n);
  writer::put_u64(desc.fixed, 4, 1000000007ull * n);
  writer::put_u64(desc.fixed, 12, 12345678ull + n);
  writer::put_u32(desc.fixed, 20, n % 25920000);       // time of day
  writer::put_u32(desc.fixed, 24, 40000 + n % 3000);   // day
  for (int i = 0; i < 16; ++i) desc.fixed[28 + i] = static_cast<std::uint8_t>(n * 31 + i);
  const double ratio = n / 7.0;
  std::uint64_t bits;
  std::memcpy(&bits, &ratio, 8);
  writer::put_u64(desc.fixed, 44, bits);
  desc.fixed[52] = n & 1;
  desc.column_count = 9;
  desc.nulls.assign(9, false);
  std::string name = "customer " + std::to_string(n);
  std::vector<std::uint8_t> wide;
  for (char c : name) {
    wide.push_back(static_cast<std::uint8_t>(c));
    wide.push_back(0);
  }
  std::string code = "C-" + std::to_string(n % 977);
  desc.variable = {writer::VariableColumn{wide}, writer::VariableColumn{{code.begin(), code.end()}}};
  return writer::encode_record(desc);
}

double seconds_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  const std::uint32_t row_count = argc > 1 ? static_cast<std::uint32_t>(std::atol(argv[1])) : 1000000;
  writer::TempDir dir;
  writer::DataFileWriter file = writer::small_database(0);
  TableSource source;
  source.name = "bench";
  source.object_id = 5000;
  source.page_object_ids = {kObject};
  source.columns = columns();
  std::uint32_t position = kFirstDataPage;
  std::uint32_t written = 0;
  while (written < row_count) {
    writer::PageWriter page = writer::standard_page(position, kObject, 1);
    while (written < row_count) {
      std::vector<std::uint8_t> bytes = record(written);
      if (page.next_record_offset() + bytes.size() + 2 * (page.slot_count() + 1) + 8 > 8192) break;
      page.add_record(bytes);
      ++written;
    }
    file.set_page(position, page);
    source.object_pages.push_back(PageAddress{1, static_cast<std::int32_t>(position)});
    ++position;
  }
  const std::string path = dir.file("bench.mdf");
  if (!file.write(path)) {
    std::fprintf(stderr, "bench_row_decoding: cannot write %s\n", path.c_str());
    return 1;
  }
  std::printf("table: %u rows on %zu data pages (%.1f MiB file)\n", row_count, source.object_pages.size(),
              static_cast<double>(position) * 8192 / (1024 * 1024));

  theApp.reset();
  HeadlessFrame frame;
  auto start = std::chrono::steady_clock::now();
  std::unique_ptr<DatabaseFile> db = DatabaseFile::Open(path, frame);
  const double scan = seconds_since(start);
  if (!db || !db->is_open()) {
    std::fprintf(stderr, "bench_row_decoding: the written file does not open\n");
    return 1;
  }

  TableReadSettings settings;
  settings.read.poll_abort = false;
  TablePageList pages;
  std::uint64_t rows = 0, text_bytes = 0;
  EveryRowConsumer consumer([&](const RowRecord& row) {
    ++rows;
    for (const std::string& text : row.texts()) text_bytes += text.size();
    return true;
  });
  start = std::chrono::steady_clock::now();
  read_table_rows(*db, source, settings, pages, consumer);
  const double decode = seconds_since(start);

  std::printf("baseline, mapping scan of the file: %.3f s (%.0f pages/s)\n", scan, position / scan);
  std::printf("rows decoded to text: %llu rows, %.1f MiB of text, %.3f s (%.0f rows/s)\n",
              static_cast<unsigned long long>(rows), text_bytes / (1024.0 * 1024.0), decode, rows / decode);
  std::printf("ratio: decoding the rows takes %.1f times the mapping scan\n", decode / scan);
  return rows == row_count ? 0 : 1;
}
