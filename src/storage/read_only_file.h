#pragma once
// A data file opened for reading only.
//
// Only regular files are accepted (a directory, device or pipe is refused when opened).
// Reads are positioned (pread), so one open file serves several readers without a
// shared file position. A read error (for example a bad sector) is treated like the
// end of the file: the bytes that could not be read are left as the caller's zeros.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace portalmend {

class ReadOnlyFile {
 public:
  ReadOnlyFile() = default;
  ~ReadOnlyFile();
  ReadOnlyFile(ReadOnlyFile&& other) noexcept;
  ReadOnlyFile& operator=(ReadOnlyFile&& other) noexcept;
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

  // Opens path for reading; nothing when it does not exist, is not a regular file or
  // cannot be opened.
  static std::optional<ReadOnlyFile> Open(const std::string& path);

  bool is_open() const { return fd_ >= 0; }
  // Length of the file in bytes, taken when it was opened.
  std::uint64_t size() const { return size_; }

  // Tells the system the file is about to be read from start to end (a whole-file scan),
  // so that it reads ahead generously.
  void advise_sequential() const;

  // Reads up to length bytes at offset into out; returns how many bytes were read
  // (fewer at the end of the file or on a read error).
  std::size_t read_at(std::uint64_t offset, std::uint8_t* out, std::size_t length) const;

 private:
  int fd_ = -1;
  std::uint64_t size_ = 0;
};

}  // namespace portalmend
