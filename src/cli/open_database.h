#pragma once
// Opening a data file for a command: a headless frame, the file, and the file's own error
// text on stderr when it cannot be used.

#include <memory>
#include <string>

#include "storage/database_file.h"
#include "storage/headless_frame.h"

namespace portalmend::cli {

// Opens path with frame (whose messages go to stderr when verbose). On failure prints the
// error text the frame received on stderr and returns nothing.
std::unique_ptr<DatabaseFile> open_database(const std::string& path, HeadlessFrame& frame, bool verbose);

// Parses a whole decimal integer (optional sign); nothing for anything else.
std::optional<long long> parse_integer(const std::string& text);

}  // namespace portalmend::cli
