#include "support/demo_database.h"

namespace portalmend::writer {

DataFileWriter demo_database() {
  DataFileWriter file = small_database(37);  // 64 pages, 8 extents
  // User data pages written with torn-page detection, as a SQL Server 2000 database has them.
  for (std::uint32_t p = 27; p < 64; p += 3) {
    PageWriter page = standard_page(p, 245575913, 1);
    std::vector<std::uint8_t> record(600, static_cast<std::uint8_t>(p));
    page.add_record(record);
    file.set_page(p, page.build_torn(1));
  }
  return file;
}

}  // namespace portalmend::writer
