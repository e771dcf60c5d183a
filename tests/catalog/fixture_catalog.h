#pragma once
// Opening the real SQL Server files of the fixtures folder and building their catalogs.

#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "catalog/catalog.h"
#include "storage/app_settings.h"
#include "storage/database_file.h"
#include "storage/headless_frame.h"

namespace portalmend::fixtures {

inline std::string folder() { return PORTALMEND_FIXTURES; }
inline std::string mdf_path(const std::string& file) { return folder() + "/mdf/" + file; }

inline bool available() {
  std::ifstream in(folder() + "/manifest.tsv");
  return in.good();
}

inline std::string read_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

// The primary data files listed in manifest.tsv, in order.
inline std::vector<std::string> primary_files() {
  std::vector<std::string> files;
  std::istringstream lines(read_text(folder() + "/manifest.tsv"));
  std::string line;
  std::getline(lines, line);  // header
  while (std::getline(lines, line)) {
    const std::string file = line.substr(0, line.find('\t'));
    if (file.size() > 4 && (file.ends_with(".mdf") || file.ends_with(".MDF"))) files.push_back(file);
  }
  return files;
}

// A data file opened and its catalog built, as a scan does it.
struct OpenedCatalog {
  HeadlessFrame frame;
  std::unique_ptr<DatabaseFile> file;
  std::unique_ptr<Catalog> catalog;
};

inline std::unique_ptr<OpenedCatalog> open(const std::string& path) {
  auto opened = std::make_unique<OpenedCatalog>();
  theApp.legacy_catalog_flag.store(0);
  opened->file = DatabaseFile::Open(path, opened->frame);
  if (!opened->file || !opened->file->is_open()) return nullptr;
  opened->catalog = Catalog::Build(*opened->file);
  opened->file->set_catalog(opened->catalog.get());
  return opened;
}

}  // namespace portalmend::fixtures
