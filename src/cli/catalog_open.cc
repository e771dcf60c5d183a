#include "cli/catalog_open.h"

#include <cstdio>

namespace portalmend::cli {

std::unique_ptr<OpenCatalog> open_catalog(const char* command, const std::string& path) {
  auto opened = std::make_unique<OpenCatalog>();
  opened->file = DatabaseFile::Open(path, opened->frame);
  if (!opened->file || !opened->file->is_open()) {
    const std::vector<std::string> errors = opened->frame.errors();
    std::fprintf(stderr, "portalmend-cli %s: %s: %s\n", command, path.c_str(),
                 errors.empty() ? "the file cannot be read as a data file." : errors.back().c_str());
    return nullptr;
  }
  opened->catalog = Catalog::Build(*opened->file);
  opened->file->set_catalog(opened->catalog.get());
  if (opened->catalog->lists().objects.empty()) {
    std::fprintf(stderr,
                 "portalmend-cli %s: %s: Either it is not valid mdf file or highly corrupted, select another file "
                 "to recover.\n",
                 command, path.c_str());
    return nullptr;
  }
  return opened;
}

std::string quoted_type(const std::string& type) { return "\"" + type + "\""; }

}  // namespace portalmend::cli
