#include "support/data_file_writer.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace portalmend::writer {

void DataFileWriter::set_page(std::uint64_t position, std::vector<std::uint8_t> page) {
  page.resize(kWriterPageSize, 0);
  if (position >= page_count_) page_count_ = position + 1;
  pages_[position] = std::move(page);
}

std::vector<std::uint8_t> DataFileWriter::page(std::uint64_t position) const {
  auto it = pages_.find(position);
  return it == pages_.end() ? std::vector<std::uint8_t>(kWriterPageSize, 0) : it->second;
}

std::vector<std::uint8_t> DataFileWriter::bytes() const {
  std::vector<std::uint8_t> out(leading_);
  out.resize(leading_.size() + page_count_ * kWriterPageSize, 0);
  for (const auto& [position, page] : pages_) {
    std::copy(page.begin(), page.end(), out.begin() + static_cast<std::ptrdiff_t>(leading_.size() + position * kWriterPageSize));
  }
  out.insert(out.end(), trailing_.begin(), trailing_.end());
  return out;
}

bool DataFileWriter::write(const std::string& path) const { return write_file(path, bytes()); }

bool write_file(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

std::vector<std::uint8_t> read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

DataFileWriter small_database(std::uint64_t user_pages) {
  constexpr std::int32_t kUserObject = 245575913;
  const std::uint64_t count = 27 + user_pages;
  DataFileWriter file(count);
  // Page types of the first pages: file header, free space, global and shared global maps.
  const std::uint8_t first_types[] = {15, 11, 8, 9, 0, 0, 16, 17, 0, 13};
  for (std::uint32_t p = 0; p < count; ++p) {
    std::uint8_t type = p < std::size(first_types) ? first_types[p] : 0;
    std::int32_t object = (p < std::size(first_types) && type != 0) ? 99 : 0;
    if (p == 10) {
      type = 10;
      object = 7;
    } else if (p == 11) {
      type = 10;
      object = 34;
    } else if (p == 12) {
      type = 10;
      object = 41;
    } else if (p >= 16 && p < 18) {
      type = 1;
      object = 7;
    } else if (p >= 18 && p < 22) {
      type = 1;
      object = 34;
    } else if (p >= 22 && p < 26) {
      type = 1;
      object = 41;
    } else if (p == 26) {
      type = 10;
      object = kUserObject;
    } else if (p > 26 && p <= 26 + user_pages) {
      type = 1;
      object = kUserObject;
    }
    file.set_page(p, standard_page(p, object, type));
  }
  return file;
}

}  // namespace portalmend::writer
