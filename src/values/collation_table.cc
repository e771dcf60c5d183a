#include "values/collation_table.h"

#include <unistd.h>

#include <cctype>
#include <fstream>
#include <vector>

namespace portalmend {

namespace {

constexpr char kFieldSeparator = '\t';

// Removes the line end (LF, CRLF or a lone CR) from the end of a line.
std::string_view strip_line_end(std::string_view line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  return line;
}

}  // namespace

std::int32_t parse_leading_int32(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  std::uint32_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10u + static_cast<std::uint32_t>(text[i] - '0');
  }
  if (negative) value = 0u - value;
  return static_cast<std::int32_t>(value);
}

bool CollationTable::add_line(std::string_view line) {
  line = strip_line_end(line);
  const std::size_t first_tab = line.find(kFieldSeparator);
  if (line.empty() || first_tab == std::string_view::npos) return false;
  const std::string_view name = line.substr(0, first_tab);
  const std::string_view rest = line.substr(first_tab + 1);
  const std::size_t second_tab = rest.find(kFieldSeparator);
  if (rest.empty() || second_tab == std::string_view::npos) return false;
  const std::int64_t id = parse_leading_int32(rest.substr(0, second_tab));
  CollationEntry& entry = entries_[id];
  entry.name = std::string(name);
  entry.code_page = parse_leading_int32(rest.substr(second_tab + 1));
  return true;
}

void CollationTable::load_stream(std::istream& in) {
  std::string line;
  while (std::getline(in, line)) add_line(line);
}

bool CollationTable::load_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  load_stream(in);
  return true;
}

bool CollationTable::load_beside_executable() {
  const std::string folder = executable_folder();
  if (folder.empty()) return false;
  return load_file(folder + kCollationFileName);
}

const CollationEntry* CollationTable::find(std::int64_t id) const {
  const auto it = entries_.find(id);
  return it == entries_.end() ? nullptr : &it->second;
}

void ChosenCollation::choose(std::int64_t chosen_id, const CollationEntry& entry) {
  known = true;
  id = chosen_id;
  code_page = entry.code_page;
  name = entry.name;
}

std::string executable_folder() {
  std::vector<char> buffer(4096);
  for (;;) {
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return {};
    if (static_cast<std::size_t>(n) < buffer.size()) {
      std::string path(buffer.data(), static_cast<std::size_t>(n));
      const std::size_t slash = path.rfind('/');
      if (slash == std::string::npos) return {};
      path.resize(slash + 1);
      return path;
    }
    if (buffer.size() >= (1u << 20)) return {};
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace portalmend
