#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it when
// the object goes away.

#include <string>

namespace portalmend::writer {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder's path (no trailing slash); empty when it could not be made.
  const std::string& path() const { return path_; }
  // path() + "/" + name.
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

}  // namespace portalmend::writer
