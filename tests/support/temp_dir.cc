#include "support/temp_dir.h"

#include <stdlib.h>

#include <filesystem>
#include <system_error>
#include <vector>

namespace portalmend::writer {

TempDir::TempDir() {
  std::error_code error;
  std::string base = std::filesystem::temp_directory_path(error).string();
  if (error || base.empty()) base = "/tmp";
  std::string pattern = base + "/portalmend-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (::mkdtemp(name.data()) != nullptr) path_ = name.data();
}

TempDir::~TempDir() {
  if (path_.empty()) return;
  std::error_code error;
  std::filesystem::remove_all(path_, error);
}

}  // namespace portalmend::writer
