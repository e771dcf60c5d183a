#pragma once
// Opens a data file and builds its catalog, for the commands that show catalog contents.

#include <memory>
#include <string>

#include "catalog/catalog.h"
#include "storage/database_file.h"
#include "storage/headless_frame.h"

namespace portalmend::cli {

struct OpenCatalog {
  HeadlessFrame frame;
  std::unique_ptr<DatabaseFile> file;
  std::unique_ptr<Catalog> catalog;
};

// Opens path and builds its catalog. On failure prints why on stderr (prefixed with the
// command name) and returns nothing.
std::unique_ptr<OpenCatalog> open_catalog(const char* command, const std::string& path);

// A two-character object type as shown to the user: in double quotes, so that a trailing
// blank stays visible ("U ").
std::string quoted_type(const std::string& type);

}  // namespace portalmend::cli
