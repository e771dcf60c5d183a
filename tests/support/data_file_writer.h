#pragma once
// Composes whole data files from pages: page n at byte n * 8192 (after any leading extra
// bytes), zero pages where none was set, and optional extra bytes before or after the
// pages. Writes them to disk for the readers under test.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "support/page_writer.h"

namespace portalmend::writer {

class DataFileWriter {
 public:
  // A file of page_count pages, all zeros until set.
  explicit DataFileWriter(std::uint64_t page_count = 0) : page_count_(page_count) {}

  // Sets the bytes of page position (8192 bytes; shorter is padded with zeros). The file
  // grows to hold it.
  void set_page(std::uint64_t position, std::vector<std::uint8_t> page);
  void set_page(std::uint64_t position, const PageWriter& page) { set_page(position, page.build()); }
  // The bytes of page position as they will be written (zeros when unset).
  std::vector<std::uint8_t> page(std::uint64_t position) const;

  // Extra bytes before page 0 (a leading offset) and after the last page.
  void set_leading_bytes(std::vector<std::uint8_t> bytes) { leading_ = std::move(bytes); }
  void set_trailing_bytes(std::vector<std::uint8_t> bytes) { trailing_ = std::move(bytes); }

  std::uint64_t page_count() const { return page_count_; }

  // The whole file.
  std::vector<std::uint8_t> bytes() const;
  // Writes the whole file to path; false when it cannot be written.
  bool write(const std::string& path) const;

 private:
  std::uint64_t page_count_ = 0;
  std::map<std::uint64_t, std::vector<std::uint8_t>> pages_;
  std::vector<std::uint8_t> leading_;
  std::vector<std::uint8_t> trailing_;
};

// Writes bytes to path; false when it cannot be written.
bool write_file(const std::string& path, const std::vector<std::uint8_t>& bytes);
// The bytes of path (empty when it cannot be read).
std::vector<std::uint8_t> read_file(const std::string& path);

// A small, healthy-looking database file: every page carries its own position and file
// id 1; page 0 is the file header page (type 15), page 1 to 3 allocation pages (11, 8, 9),
// page 9 the boot page (type 13, object 99); pages 16.. hold system table pages of objects
// 7, 34 and 41 (data pages, type 1) and their IAM pages (type 10), then user_pages data
// pages of object 245575913 (pages 27..) with one IAM page (page 26).
DataFileWriter small_database(std::uint64_t user_pages = 8);

}  // namespace portalmend::writer
