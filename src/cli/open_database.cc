#include "cli/open_database.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace portalmend::cli {

std::unique_ptr<DatabaseFile> open_database(const std::string& path, HeadlessFrame& frame, bool verbose) {
  if (verbose) frame.set_echo(stderr);
  std::unique_ptr<DatabaseFile> database = DatabaseFile::Open(path, frame);
  if (database->is_open()) return database;
  if (!verbose) {
    for (const std::string& error : frame.errors()) std::fprintf(stderr, "%s\n", error.c_str());
  }
  return nullptr;
}

std::optional<long long> parse_integer(const std::string& text) {
  if (text.empty()) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  const long long value = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || end == text.c_str() || *end != '\0') return std::nullopt;
  return value;
}

}  // namespace portalmend::cli
